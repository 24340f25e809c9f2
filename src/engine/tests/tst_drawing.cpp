#include "drawing.h"
#include "expecteddesktop.h"
#include "smoothscaled.h"
#include "testimages.h"

#include <QTest>

#include <functional>

namespace {

const QColor ButtonFace(240, 240, 240);

// A checkerboard of two colours in the given pixel format.
QImage checkerboard(QImage::Format format, const QColor &first, const QColor &second) {
    QImage image(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.setPixelColor(x, y, (x + y) % 2 ? second : first);
    return format == QImage::Format_Mono
               ? image.convertToFormat(format, {first.rgb(), second.rgb()})
               : image.convertToFormat(format);
}

} // namespace

class TestDrawing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void composeProportional_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("expected");
        // On a 1024 x 768 screen.
        QTest::newRow("overflowing landscape") << QSize(1000, 900) << QSize(1024, 922);
        QTest::newRow("1x1") << QSize(1, 1) << QSize(768, 768);
        QTest::newRow("wide strip") << QSize(3000, 7) << QSize(1024, 2);
    }
    void composeProportional() {
        QFETCH(QSize, picture);
        QTEST(::composeProportional(gradientPicture(picture), QSize(1024, 768)).size(), "expected");
    }

    void drawFitted_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("destination");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("fits: unscaled, centred")
            << QSize(33, 17) << QSize(40, 30) << QRect(3, 6, 33, 17);
        // Fitting the longer side alone would overflow the height: stay inside.
        QTest::newRow("tighter other axis")
            << QSize(60, 55) << QSize(100, 50) << QRect(24, 1, 52, 48);
        QTest::newRow("needle") << QSize(2000, 1) << QSize(140, 105) << QRect(1, 52, 138, 1);
    }
    void drawFitted() {
        QFETCH(QSize, source);
        QFETCH(QSize, destination);
        QFETCH(QRect, expected);
        const QImage picture = gradientPicture(source);
        const QImage fitted = ::drawFitted(picture, destination, ButtonFace);
        QCOMPARE(fitted.size(), destination);
        QCOMPARE(drawnArea(fitted, ButtonFace.rgb()), expected);
        // Never enlarged; when it fits, every pixel is the picture's own.
        if (expected.size() == source)
            QCOMPARE(fitted.copy(expected), picture);
    }

    void scaling_keepsTheColours_data() {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QColor>("first");
        QTest::addColumn<QColor>("second");
        QTest::newRow("1-bit") << QImage::Format_Mono << QColor(Qt::red) << QColor(Qt::blue);
        QTest::newRow("grey") << QImage::Format_Grayscale8 << QColor(40, 40, 40)
                              << QColor(220, 220, 220);
        QTest::newRow("16-bit") << QImage::Format_RGBA64 << QColor(Qt::red) << QColor(Qt::blue);
    }
    // Smooth scaling used to keep 1-bit pictures 1-bit: black and white noise.
    // Every format scales as its true-colour copy does.
    void scaling_keepsTheColours() {
        QFETCH(QImage::Format, format);
        QFETCH(QColor, first);
        QFETCH(QColor, second);
        const QImage picture = checkerboard(format, first, second);
        const QImage trueColour = picture.convertToFormat(QImage::Format_RGB32);
        const QList<std::function<QImage(const QImage &)>> scalings{
            [](const QImage &p) { return smoothScaled(p, QSize(5, 3)); },
            [](const QImage &p) { return stretchIntoSurface(p, QSize(5, 3)); },
            [](const QImage &p) { return ::composeProportional(p, QSize(7, 3)); },
            [](const QImage &p) { return ::drawFitted(p, QSize(9, 7), ButtonFace); }};
        for (const auto &scale : scalings)
            QVERIFY(worstDifference(scale(picture), scale(trueColour)) <= 3);
    }
};

QTEST_GUILESS_MAIN(TestDrawing)
#include "tst_drawing.moc"
