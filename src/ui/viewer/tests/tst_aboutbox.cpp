#include "aboutbox.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QTest>

class TestAboutBox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void text_isInAReadableFace() {
        if (QFontDatabase::families().contains(QStringLiteral("Comic Sans MS")))
            QSKIP("Comic Sans MS is installed: nothing stands in for it");
        if (!QFontDatabase::families().contains(QStringLiteral("Comic Neue")))
            QSKIP("fonts-comic-neue is not installed");
        AboutBox box([](const QString &) {});
        QCOMPARE(QFontInfo(box.findChild<QLabel *>(QStringLiteral("address"))->font()).family(),
                 QStringLiteral("Comic Neue"));
    }

    void versionText_isPlainNumbers_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.2.37") << "1.2.37" << QStringLiteral("Version 1.2.37");
        QTest::newRow("leading zeros") << "01.02.003" << QStringLiteral("Version 1.2.3");
    }

    void versionText_isPlainNumbers() {
        QFETCH(QString, version);
        QTEST(AboutBox::versionText(version), "text");
    }

    void clickOnAddressOrPicture_writesAMail_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("address") << "address";
        QTest::newRow("picture") << "artwork";
    }

    void clickOnAddressOrPicture_writesAMail() {
        QFETCH(QString, target);
        QStringList opened;
        AboutBox box([&](const QString &link) { opened.append(link); });
        box.show();
        QTest::mouseClick(box.findChild<QLabel *>(target), Qt::LeftButton);
        QCOMPARE(opened,
                 QStringList({QStringLiteral("mailto:rotafond@example.org?subject=Rotafond")}));
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
