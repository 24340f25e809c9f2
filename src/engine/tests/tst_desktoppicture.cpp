#include "desktoppicture.h"
#include "desktops/x11rootbackend.h"
#include "drawing.h"
#include "picture.h"
#include "testimages.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

// What a desktop shows from the reduced or clipped decode must match what it
// would show from the whole picture decoded and composed at the screen size.
class TestDesktopPicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void visiblePart_showsWhatTheWholePictureShows_data();
    void visiblePart_showsWhatTheWholePictureShows();

private:
    QTemporaryDir m_dir;
};

void TestDesktopPicture::initTestCase() {
    Picture::setUpDecoding();
}

void TestDesktopPicture::visiblePart_showsWhatTheWholePictureShows_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("resize");
    QTest::addColumn<bool>("proportional");
    QTest::addColumn<bool>("tiled");
    QTest::addColumn<int>("tolerance");
    const QSize big(1601, 1203); // odd sizes: the centring rounds
    for (const char *format : {"png", "jpeg"}) {
        // Clipping decodes the same pixels; scaling from a reduced decode
        // differs by rounding only.
        const int clipped = 0;
        QTest::addRow("%s centred", format)
            << big << QByteArray(format) << false << false << false << clipped;
        QTest::addRow("%s tiled", format)
            << big << QByteArray(format) << false << false << true << clipped;
        QTest::addRow("%s stretched", format)
            << big << QByteArray(format) << true << false << false << 4;
        QTest::addRow("%s proportional", format)
            << big << QByteArray(format) << true << true << false << 4;
        QTest::addRow("%s small centred", format)
            << QSize(101, 61) << QByteArray(format) << false << false << false << clipped;
        QTest::addRow("%s tall tiled", format)
            << QSize(90, 1000) << QByteArray(format) << false << false << true << clipped;
    }
}

void TestDesktopPicture::visiblePart_showsWhatTheWholePictureShows() {
    QFETCH(QSize, picture);
    QFETCH(QByteArray, format);
    QFETCH(bool, resize);
    QFETCH(bool, proportional);
    QFETCH(bool, tiled);
    QFETCH(int, tolerance);
    const QSize screen(640, 480);
    const QImage image = gradientPicture(picture);
    const QString path = m_dir.filePath(QStringLiteral("picture.") + format);
    QVERIFY(image.save(path, format, 95));

    const WallpaperEntry entry{path, resize, proportional, tiled};
    DesktopPicture desktopPicture(entry, screen);
    QString error;
    QVERIFY2(desktopPicture.readHeader(&error), qPrintable(error));
    const QImage visible = desktopPicture.visiblePart(&error);
    QVERIFY2(!visible.isNull(), qPrintable(error));
    const WallpaperStyle style = desktopPicture.composition().style;

    const QImage whole = QImageReader(path).read();
    const QImage composed = proportional && resize ? composeProportional(whole, screen) : whole;
    const QImage expected = X11RootBackend::renderDesktop(composed, screen, style);
    const QImage shown = X11RootBackend::renderDesktop(visible, screen, style);
    QCOMPARE(shown.size(), expected.size());
    int worst = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    QVERIFY2(worst <= tolerance, qPrintable(QStringLiteral("differs by %1").arg(worst)));
    // The bitmap for "Rotafond.bmp" stays the whole picture or its composition.
    QCOMPARE(desktopPicture.bitmap(&error).size(), composed.size());
}

QTEST_GUILESS_MAIN(TestDesktopPicture)
#include "tst_desktoppicture.moc"
