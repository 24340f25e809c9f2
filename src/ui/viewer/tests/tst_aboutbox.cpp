#include "aboutbox.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
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
        const auto *label = box.findChild<QLabel *>(QStringLiteral("address"));
        QVERIFY(label);
        QCOMPARE(QFontInfo(label->font()).family(), QStringLiteral("Comic Neue"));
    }

    void versionText_isPlainNumbers_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.2.37") << "1.2.37"
                                << "Version 1.2.37";
        QTest::newRow("leading zeros") << "01.02.003"
                                       << "Version 1.2.3";
        QTest::newRow("ours") << ROTAFOND_VERSION << "Version " ROTAFOND_VERSION;
    }

    void versionText_isPlainNumbers() {
        QFETCH(QString, version);
        QFETCH(QString, text);
        QCOMPARE(AboutBox::versionText(version), text);
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
        QCOMPARE(box.windowTitle(), QStringLiteral("About Rotafond"));
        box.show();
        auto *widget = box.findChild<QLabel *>(target);
        QVERIFY(widget);
        QTest::mouseClick(widget, Qt::LeftButton);
        QCOMPARE(opened,
                 QStringList({QStringLiteral("mailto:rotafond@example.org?subject=Rotafond")}));
        QCOMPARE(box.findChild<QLabel *>(QStringLiteral("version"))->text(),
                 QStringLiteral("Version " ROTAFOND_VERSION));
    }

    void enterEscapeAndOk_closeTheBox_data() {
        QTest::addColumn<int>("key"); // 0: the OK button
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("ok button") << 0;
    }

    void enterEscapeAndOk_closeTheBox() {
        QFETCH(int, key);
        AboutBox box([](const QString &) {});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        if (key)
            QTest::keyClick(&box, Qt::Key(key));
        else
            box.findChild<QPushButton *>()->click();
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
