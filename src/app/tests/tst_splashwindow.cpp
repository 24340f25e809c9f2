#include "progressbar.h"
#include "splashwindow.h"
#include "wallpaperliststore.h"

#include <QTest>

class TestSplashWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splash_goesByItselfAndALoadBringsItBackWithItsProgress() {
        SplashWindow splash(50);
        splash.load();
        QVERIFY(splash.isVisible());
        QVERIFY(splash.bar()->isHidden());
        QTRY_VERIFY(!splash.isVisible());
        // The list store's progress for three entries, as the splash shows it.
        QStringList texts;
        for (int index = 0; index < 3; ++index) {
            int percent = 0;
            QString caption;
            WallpaperListStore::loadProgress(index, 3, &percent, &caption);
            splash.updateLoading(percent, caption);
            QVERIFY(splash.isVisible() && splash.bar()->isVisible());
            texts.append(splash.bar()->text());
        }
        QCOMPARE(texts, QStringList({"33 %", "66 %", "100 %"}));
        QCOMPARE(splash.bar()->percent(), 100);
    }

    void bar_showsTheTextInTwoColours_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<QPalette::ColorRole>("left");
        QTest::addColumn<QPalette::ColorRole>("right");
        QTest::newRow("0") << 0 << QPalette::Button << QPalette::Button;
        QTest::newRow("50") << 50 << QPalette::Highlight << QPalette::Button;
        QTest::newRow("100") << 100 << QPalette::Highlight << QPalette::Highlight;
    }

    void bar_showsTheTextInTwoColours() {
        QFETCH(int, percent);
        QFETCH(QPalette::ColorRole, left);
        QFETCH(QPalette::ColorRole, right);
        ProgressBar bar(ProgressBar::TextPlacement::Centre);
        bar.resize(200, 20);
        bar.setProgress(percent, QStringLiteral("%1 %").arg(percent));
        const QImage image = bar.grab().toImage();
        QCOMPARE(image.pixelColor(1, 1), bar.palette().color(left));
        QCOMPARE(image.pixelColor(198, 1), bar.palette().color(right));
    }
};

QTEST_MAIN(TestSplashWindow)
#include "tst_splashwindow.moc"
