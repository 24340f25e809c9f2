#include "progressbar.h"
#include "splashwindow.h"

#include <QTest>

class TestSplashWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splash_goesByItselfAndALoadBringsItBackWithItsProgress() {
        SplashWindow splash(50);
        splash.load();
        QVERIFY(splash.isVisible() && splash.bar()->isHidden());
        QTRY_VERIFY(!splash.isVisible());
        splash.updateLoading(67, QStringLiteral("66 %"));
        QVERIFY(splash.isVisible() && splash.bar()->isVisible());
        QCOMPARE(splash.bar()->text(), QStringLiteral("66 %"));
        QCOMPARE(splash.bar()->percent(), 67);
    }

    // Over the part done the text is in the highlight colour, beyond it in the button colour.
    void bar_showsTheTextInTwoColours() {
        ProgressBar bar(ProgressBar::TextPlacement::Centre);
        bar.resize(200, 20);
        bar.setProgress(50, QStringLiteral("50 %"));
        const QImage image = bar.grab().toImage();
        QCOMPARE(image.pixelColor(1, 1), bar.palette().color(QPalette::Highlight));
        QCOMPARE(image.pixelColor(198, 1), bar.palette().color(QPalette::Button));
    }
};

QTEST_MAIN(TestSplashWindow)
#include "tst_splashwindow.moc"
