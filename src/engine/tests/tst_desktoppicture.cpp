#include "desktoppicture.h"
#include "expecteddesktop.h"
#include "picture.h"
#include "testimages.h"

#include <QTemporaryDir>
#include <QTest>

// What the desktop shows from the reduced or clipped decode must match what
// each monitor would show of the whole picture composed at its own size.
class TestDesktopPicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Picture::setUpDecoding(); }

    void desktop_showsEveryMonitorItsOwnComposition_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<WallpaperEntry>("entry");
        QTest::addColumn<int>("tolerance");
        const QSize big(1601, 1203); // odd sizes: the centring rounds
        // JPEGs decode reduced, other formats only clip.
        for (const char *format : {"png", "jpeg"}) {
            // Clipping decodes the same pixels; scaling from a reduced decode
            // differs by rounding only.
            const auto row = [&](const char *mode, QSize picture, bool resize, bool proportional,
                                 bool tiled, int off) {
                QTest::addRow("%s %s", format, mode)
                    << picture << QByteArray(format)
                    << WallpaperEntry{{}, resize, proportional, tiled} << off;
            };
            row("centred", big, false, false, false, 0);
            row("stretched", big, true, false, false, 4);
            row("proportional", big, true, true, false, 4);
            row("small centred", QSize(101, 61), false, false, false, 0);
            row("tall tiled", QSize(90, 1000), false, false, true, 0);
        }
    }
    void desktop_showsEveryMonitorItsOwnComposition() {
        QFETCH(QSize, picture);
        QFETCH(QByteArray, format);
        QFETCH(WallpaperEntry, entry);
        QFETCH(int, tolerance);
        // A smaller second monitor at the right, lower down.
        const QList<Monitor> monitors{{QStringLiteral("A"), QRect(0, 0, 640, 480)},
                                      {QStringLiteral("B"), QRect(640, 100, 400, 300)}};
        entry.filePath = m_dir.filePath(QStringLiteral("picture.") + format);
        QVERIFY(gradientPicture(picture).save(entry.filePath, format, 95));

        DesktopPicture desktopPicture(entry, monitors.first().rect.size());
        QVERIFY(desktopPicture.readHeader());
        const Result<QImage> shown = desktopPicture.desktop(monitors);
        QVERIFY2(shown, qPrintable(shown.error()));
        const QImage expected = expectedDesktop(entry, monitors);
        int worst = worstDifference(*shown, expected);
        // Monitor by monitor, as desktops that set each one are given them,
        // after the decodes made for the whole desktop.
        for (const Monitor &monitor : monitors) {
            const QRect own(QPoint(0, 0), monitor.rect.size());
            worst = std::max(worst, worstDifference(*desktopPicture.desktop({{monitor.name, own}}),
                                                    expected.copy(monitor.rect)));
        }
        QVERIFY2(worst <= tolerance, qPrintable(QStringLiteral("differs by %1").arg(worst)));
        // The bitmap for "Rotafond.bmp" stays the primary monitor's composition.
        QCOMPARE(desktopPicture.bitmap()->size(),
                 entry.resize && entry.proportional
                     ? proportionalSize(picture, monitors.first().rect.size())
                     : picture);
    }

    void turnedPictures_areShownUpright_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("resize");
        for (int orientation = 1; orientation <= 8; ++orientation) {
            // Unresized, a screen smaller than the picture clips the decode.
            QTest::addRow("orientation %d, clipped", orientation) << orientation << false;
            QTest::addRow("orientation %d, proportional", orientation) << orientation << true;
        }
    }
    void turnedPictures_areShownUpright() {
        QFETCH(int, orientation);
        QFETCH(bool, resize);
        const QString path =
            QStringLiteral(ROTAFOND_ORIENTATION_PICTURES "/exif-%1.jpg").arg(orientation);
        // The 64x32 picture centred on 40x24 is cut 12 and 4 pixels from each
        // side; resized it fills 128x64.
        const QSize screen = resize ? QSize(128, 64) : QSize(40, 24);
        DesktopPicture picture({path, resize, true, false}, screen);
        QVERIFY(picture.readHeader());
        QCOMPARE(picture.naturalSize(), QSize(64, 32));
        const Result<QImage> shown = picture.desktop({{"A", QRect(QPoint(0, 0), screen)}});
        QVERIFY2(shown, qPrintable(shown.error()));
        // Upright: red at the top left, yellow at the bottom right (with the
        // size, that leaves no other turn or mirror).
        const QRgb topLeft = shown->pixel(screen.width() / 4, screen.height() / 4);
        const QRgb bottomRight = shown->pixel(screen.width() * 3 / 4, screen.height() * 3 / 4);
        QVERIFY(qRed(topLeft) > 200 && qGreen(topLeft) < 60);
        QVERIFY(qRed(bottomRight) > 200 && qGreen(bottomRight) > 200);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestDesktopPicture)
#include "tst_desktoppicture.moc"
