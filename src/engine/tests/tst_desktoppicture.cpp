#include "desktoppicture.h"
#include "drawing.h"
#include "picture.h"
#include "screenrender.h"
#include "testimages.h"

#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

// What the desktop shows from the reduced or clipped decode must match what
// each monitor would show of the whole picture composed at its own size.
class TestDesktopPicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void desktop_showsEveryMonitorItsOwnComposition_data();
    void desktop_showsEveryMonitorItsOwnComposition();
    void turnedPictures_areShownUpright_data();
    void turnedPictures_areShownUpright();

private:
    QTemporaryDir m_dir;
};

void TestDesktopPicture::initTestCase() {
    Picture::setUpDecoding();
}

void TestDesktopPicture::desktop_showsEveryMonitorItsOwnComposition_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("resize");
    QTest::addColumn<bool>("proportional");
    QTest::addColumn<bool>("tiled");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<QList<Monitor>>("monitors");
    const QSize big(1601, 1203); // odd sizes: the centring rounds
    const QList<Monitor> one{{QStringLiteral("A"), QRect(0, 0, 640, 480)}};
    // A smaller second monitor at the right, lower down.
    const QList<Monitor> two{one.first(), {QStringLiteral("B"), QRect(640, 100, 400, 300)}};
    for (const char *format : {"png", "jpeg"})
        for (const auto &[layout, monitors] : {std::pair{"one", one}, std::pair{"two", two}}) {
            // Clipping decodes the same pixels; scaling from a reduced decode
            // differs by rounding only.
            const int clipped = 0;
            const auto row = [&](const char *mode, QSize picture, bool resize, bool proportional,
                                 bool tiled, int tolerance) {
                QTest::addRow("%s %s, %s monitor(s)", format, mode, layout)
                    << picture << QByteArray(format) << resize << proportional << tiled << tolerance
                    << monitors;
            };
            row("centred", big, false, false, false, clipped);
            row("tiled", big, false, false, true, clipped);
            row("stretched", big, true, false, false, 4);
            row("proportional", big, true, true, false, 4);
            row("small centred", QSize(101, 61), false, false, false, clipped);
            row("tall tiled", QSize(90, 1000), false, false, true, clipped);
        }
}

void TestDesktopPicture::desktop_showsEveryMonitorItsOwnComposition() {
    QFETCH(QSize, picture);
    QFETCH(QByteArray, format);
    QFETCH(bool, resize);
    QFETCH(bool, proportional);
    QFETCH(bool, tiled);
    QFETCH(int, tolerance);
    QFETCH(QList<Monitor>, monitors);
    const QImage image = gradientPicture(picture);
    const QString path = m_dir.filePath(QStringLiteral("picture.") + format);
    QVERIFY(image.save(path, format, 95));

    const WallpaperEntry entry{path, resize, proportional, tiled};
    DesktopPicture desktopPicture(entry, monitors.first().rect.size());
    QString error;
    QVERIFY2(desktopPicture.readHeader(&error), qPrintable(error));
    const QImage shown = desktopPicture.desktop(monitors, &error);
    QVERIFY2(!shown.isNull(), qPrintable(error));
    const WallpaperStyle style = desktopPicture.composition().style;

    const QImage whole = QImageReader(path).read();
    QImage expected(desktopSize(monitors), QImage::Format_RGB32);
    expected.fill(Qt::black);
    QPainter painter(&expected);
    for (const Monitor &monitor : monitors) {
        const QSize screen = monitor.rect.size();
        const QImage composed = proportional && resize ? composeProportional(whole, screen) : whole;
        painter.drawImage(monitor.rect.topLeft(), renderScreen(composed, screen, style));
    }
    painter.end();
    QCOMPARE(shown.size(), expected.size());
    int worst = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    QVERIFY2(worst <= tolerance, qPrintable(QStringLiteral("differs by %1").arg(worst)));
    // The bitmap for "Rotafond.bmp" stays the primary monitor's composition.
    const QImage primary =
        proportional && resize ? composeProportional(whole, monitors.first().rect.size()) : whole;
    QCOMPARE(desktopPicture.bitmap(&error).size(), primary.size());
}

void TestDesktopPicture::turnedPictures_areShownUpright_data() {
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("resize");
    for (int orientation = 1; orientation <= 8; ++orientation) {
        // Unresized, a screen smaller than the picture clips the decode.
        QTest::addRow("orientation %d, clipped", orientation) << orientation << false;
        QTest::addRow("orientation %d, proportional", orientation) << orientation << true;
    }
}

void TestDesktopPicture::turnedPictures_areShownUpright() {
    QFETCH(int, orientation);
    QFETCH(bool, resize);
    const QString path =
        QStringLiteral(ROTAFOND_ORIENTATION_PICTURES "/exif-%1.jpg").arg(orientation);
    const WallpaperEntry entry{path, resize, true, false};
    // The 64x32 picture centred on 40x24 is cut 12 and 4 pixels from each
    // side; resized it fills 128x64.
    const QSize screen = resize ? QSize(128, 64) : QSize(40, 24);
    DesktopPicture picture(entry, screen);
    QString error;
    QVERIFY2(picture.readHeader(&error), qPrintable(error));
    QCOMPARE(picture.naturalSize(), QSize(64, 32));
    const QImage shown =
        picture.desktop({{QStringLiteral("A"), QRect(QPoint(0, 0), screen)}}, &error);
    QVERIFY2(!shown.isNull(), qPrintable(error));
    const int left = screen.width() / 4, right = screen.width() * 3 / 4;
    const int top = screen.height() / 4, bottom = screen.height() * 3 / 4;
    const struct {
        QPoint at;
        QColor colour;
    } quadrants[] = {{{left, top}, Qt::red},
                     {{right, top}, Qt::green},
                     {{left, bottom}, Qt::blue},
                     {{right, bottom}, Qt::yellow}};
    for (const auto &quadrant : quadrants) {
        const QColor seen = shown.pixelColor(quadrant.at);
        QVERIFY2(std::abs(seen.red() - quadrant.colour.red()) < 40 &&
                     std::abs(seen.green() - quadrant.colour.green()) < 40 &&
                     std::abs(seen.blue() - quadrant.colour.blue()) < 40,
                 qPrintable(QStringLiteral("%1 at (%2, %3)")
                                .arg(seen.name())
                                .arg(quadrant.at.x())
                                .arg(quadrant.at.y())));
    }
}

QTEST_GUILESS_MAIN(TestDesktopPicture)
#include "tst_desktoppicture.moc"
