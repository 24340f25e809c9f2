#include "displaymode.h"
#include "drawing.h"
#include "smoothscaled.h"
#include "testimages.h"

#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

// A picture whose every pixel differs, so misplaced or rescaled copies show.
QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, (x + y) % 256));
    return image;
}

const QColor ButtonFace(240, 240, 240);

// A checkerboard of two colours in the given pixel format.
QImage checkerboard(QImage::Format format, const QColor &first, const QColor &second) {
    QImage image(16, 16, format);
    if (format == QImage::Format_Mono || format == QImage::Format_Indexed8) {
        image.setColorTable({first.rgb(), second.rgb()});
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                image.setPixel(x, y, (x + y) % 2);
        return image;
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.setPixelColor(x, y, (x + y) % 2 ? second : first);
    return image;
}

// How far a pixel is from every mix of the two colours, in the worst channel.
float offTheMix(QRgb pixel, const QColor &first, const QColor &second) {
    const float a[3] = {float(first.red()), float(first.green()), float(first.blue())};
    const float b[3] = {float(second.red()), float(second.green()), float(second.blue())};
    const float p[3] = {float(qRed(pixel)), float(qGreen(pixel)), float(qBlue(pixel))};
    float along = 0;
    float length = 0;
    for (int c = 0; c < 3; ++c) {
        along += (p[c] - a[c]) * (b[c] - a[c]);
        length += (b[c] - a[c]) * (b[c] - a[c]);
    }
    const float t = std::clamp(along / length, 0.0f, 1.0f);
    float worst = 0;
    for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(p[c] - (a[c] + t * (b[c] - a[c]))));
    return worst;
}

} // namespace

Q_DECLARE_METATYPE(WallpaperStyle)

class TestDrawing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void composeProportional_data();
    void composeProportional();
    void drawFitted_data();
    void drawFitted();
    void drawFitted_unscaledKeepsEveryPixel();
    void scaling_keepsTheColours_data();
    void scaling_keepsTheColours();
    void copyPreviewTile_placesUnscaled();
    void displayModeAndComposition_data();
    void displayModeAndComposition();
    void styleText_isExact_data();
    void styleText_isExact();
};

void TestDrawing::composeProportional_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("same aspect") << QSize(800, 600) << QSize(1024, 768) << QSize(1024, 768);
    QTest::newRow("portrait") << QSize(600, 800) << QSize(1024, 768) << QSize(576, 768);
    QTest::newRow("square") << QSize(500, 500) << QSize(1024, 768) << QSize(768, 768);
    QTest::newRow("overflowing landscape")
        << QSize(1000, 900) << QSize(1024, 768) << QSize(1024, 922);
    QTest::newRow("1x1") << QSize(1, 1) << QSize(1024, 768) << QSize(768, 768);
    QTest::newRow("wide strip") << QSize(3000, 7) << QSize(1024, 768) << QSize(1024, 2);
    QTest::newRow("odd screen") << QSize(333, 111) << QSize(1365, 767) << QSize(1365, 455);
}

void TestDrawing::composeProportional() {
    QFETCH(QSize, picture);
    QFETCH(QSize, screen);
    const QImage composed =
        ::composeProportional(pattern(picture.width(), picture.height()), screen);
    QTEST(composed.size(), "expected");
}

void TestDrawing::drawFitted_data() {
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("destination");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("fits: unscaled, centred")
        << QSize(100, 80) << QSize(120, 90) << QRect(10, 5, 100, 80);
    QTest::newRow("landscape shrunk") << QSize(400, 300) << QSize(120, 90) << QRect(1, 1, 118, 88);
    QTest::newRow("portrait shrunk") << QSize(300, 400) << QSize(120, 90) << QRect(27, 1, 66, 88);
    // Fitting the longer side alone would overflow the height: stay inside.
    QTest::newRow("tighter other axis") << QSize(60, 55) << QSize(100, 50) << QRect(24, 1, 52, 48);
    QTest::newRow("odd margins floor") << QSize(7, 7) << QSize(20, 20) << QRect(6, 6, 7, 7);
    QTest::newRow("1x1") << QSize(1, 1) << QSize(140, 105) << QRect(69, 52, 1, 1);
    QTest::newRow("needle") << QSize(2000, 1) << QSize(140, 105) << QRect(1, 52, 138, 1);
}

void TestDrawing::drawFitted() {
    QFETCH(QSize, source);
    QFETCH(QSize, destination);
    QImage picture(source, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QImage fitted = ::drawFitted(picture, destination, ButtonFace);
    QCOMPARE(fitted.size(), destination);
    QTEST(drawnArea(fitted, ButtonFace.rgb()), "expected");
}

void TestDrawing::drawFitted_unscaledKeepsEveryPixel() {
    const QImage picture = pattern(33, 17);
    const QImage fitted = ::drawFitted(picture, QSize(40, 30), ButtonFace);
    QCOMPARE(fitted.copy(3, 6, 33, 17), picture);
}

void TestDrawing::scaling_keepsTheColours_data() {
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QColor>("first");
    QTest::addColumn<QColor>("second");
    QTest::newRow("1-bit") << QImage::Format_Mono << QColor(Qt::red) << QColor(Qt::blue);
    QTest::newRow("8-bit palette")
        << QImage::Format_Indexed8 << QColor(Qt::red) << QColor(Qt::blue);
    QTest::newRow("grey") << QImage::Format_Grayscale8 << QColor(40, 40, 40)
                          << QColor(220, 220, 220);
    QTest::newRow("16-bit") << QImage::Format_RGBA64 << QColor(Qt::red) << QColor(Qt::blue);
}

// Smooth scaling used to keep 1-bit pictures 1-bit: black and white noise.
void TestDrawing::scaling_keepsTheColours() {
    QFETCH(QImage::Format, format);
    QFETCH(QColor, first);
    QFETCH(QColor, second);
    const QImage picture = checkerboard(format, first, second);
    const QRect fitted = fittedRect(picture.size(), QSize(9, 7));
    const QList<QImage> results = {smoothScaled(picture, QSize(5, 3)),
                                   stretchIntoSurface(picture, QSize(5, 3)),
                                   ::composeProportional(picture, QSize(7, 3)),
                                   ::drawFitted(picture, QSize(9, 7), ButtonFace).copy(fitted)};
    QCOMPARE(results.at(0).size(), QSize(5, 3));
    for (const QImage &result : results)
        for (int y = 0; y < result.height(); ++y)
            for (int x = 0; x < result.width(); ++x)
                QVERIFY2(offTheMix(result.pixel(x, y), first, second) <= 3,
                         qPrintable(QStringLiteral("%1 at %2,%3")
                                        .arg(result.pixel(x, y), 8, 16)
                                        .arg(x)
                                        .arg(y)));
}

void TestDrawing::copyPreviewTile_placesUnscaled() {
    QImage preview(184, 138, QImage::Format_RGB32);
    preview.fill(Qt::black);
    const QImage tile = pattern(10, 6);
    ::copyPreviewTile(preview, tile, 170, -2);
    QCOMPARE(preview.copy(170, 0, 10, 4), tile.copy(0, 2, 10, 4));
    QCOMPARE(preview.pixel(169, 0), qRgb(0, 0, 0));
}

void TestDrawing::displayModeAndComposition_data() {
    QTest::addColumn<bool>("tiled");
    QTest::addColumn<bool>("resize");
    QTest::addColumn<bool>("proportional");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("composed");
    QTest::addColumn<WallpaperStyle>("style");
    QTest::newRow("TN") << true << false << true << "TN" << false << WallpaperStyle::Tile;
    QTest::newRow("TP") << true << true << true << "TP" << true << WallpaperStyle::Tile;
    QTest::newRow("tiled, stretched flags")
        << true << true << false << "TP" << false << WallpaperStyle::Stretch;
    QTest::newRow("SN") << false << false << false << "SN" << false << WallpaperStyle::Center;
    QTest::newRow("SP") << false << true << true << "SP" << true << WallpaperStyle::Center;
    QTest::newRow("SS") << false << true << false << "SS" << false << WallpaperStyle::Stretch;
}

void TestDrawing::displayModeAndComposition() {
    QFETCH(bool, tiled);
    QFETCH(bool, resize);
    QFETCH(bool, proportional);
    const WallpaperEntry entry{QStringLiteral("/x.jpg"), resize, proportional, tiled};
    QTEST(displayMode(entry), "mode");
    QTEST(compositionFor(entry).proportional, "composed");
    QTEST(compositionFor(entry).style, "style");
}

void TestDrawing::styleText_isExact_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<WallpaperStyle>("style");
    QTest::newRow("Tile") << "Tile" << WallpaperStyle::Tile;
    QTest::newRow("Center") << "Center" << WallpaperStyle::Center;
    QTest::newRow("Stretch") << "Stretch" << WallpaperStyle::Stretch;
    QTest::newRow("Clear") << "Clear" << WallpaperStyle::Clear;
    QTest::newRow("other case") << "tile" << WallpaperStyle::Unchanged;
    QTest::newRow("blank") << " Center" << WallpaperStyle::Unchanged;
}

void TestDrawing::styleText_isExact() {
    QFETCH(QString, text);
    QTEST(styleFromText(text), "style");
}

QTEST_GUILESS_MAIN(TestDrawing)
#include "tst_drawing.moc"
