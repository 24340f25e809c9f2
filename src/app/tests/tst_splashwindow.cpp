#include "progressbar.h"
#include "splashwindow.h"
#include "wallpaperliststore.h"

#include <QTest>

class TestSplashWindow : public QObject {
    Q_OBJECT

private:
    // Feeds the splash the list store's progress for count entries; the bar's texts.
    static QStringList load(SplashWindow &splash, int count) {
        QStringList texts;
        for (int i = 0; i < count; ++i) {
            int percent = 0;
            QString caption;
            WallpaperListStore::loadProgress(i, count, &percent, &caption);
            splash.updateLoading(percent, caption);
            texts.append(splash.bar()->text());
        }
        return texts;
    }

private Q_SLOTS:
    void updateLoading_followsTheListLoad_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("one entry") << 1 << QStringList({"100 %"});
        QTest::newRow("three entries") << 3 << QStringList({"33 %", "66 %", "100 %"});
    }

    void updateLoading_followsTheListLoad() {
        QFETCH(int, count);
        SplashWindow splash;
        splash.load();
        QVERIFY(splash.isVisible());
        QVERIFY(splash.bar()->isHidden());
        QTEST(load(splash, count), "texts");
        QVERIFY(splash.bar()->isVisible());
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

    void timer_closesTheSplashAndALaterStepBringsItBack() {
        SplashWindow splash(50);
        splash.load();
        QVERIFY(splash.isVisible());
        QTRY_VERIFY(!splash.isVisible());
        splash.updateLoading(50, QStringLiteral("50 %"));
        QVERIFY(splash.isVisible());
        QCOMPARE(splash.bar()->text(), QStringLiteral("50 %"));
    }
};

QTEST_MAIN(TestSplashWindow)
#include "tst_splashwindow.moc"
