#include "testimages.h"
#include "wallpaperfiles.h"

#include <QDir>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestWallpaperFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bitmap_keepsEveryPixelInAFolderItMakes() {
        // An odd width pads the rows; transparent pixels keep their colour.
        QImage image(3, 5, QImage::Format_ARGB32), opaque(image.size(), QImage::Format_RGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 3; ++x) {
                image.setPixel(x, y, qRgba(x * 40 + 3, y * 50 + 7, (x + y) * 20 + 11, x * 100));
                opaque.setPixel(x, y, qRgb(x * 40 + 3, y * 50 + 7, (x + y) * 20 + 11));
            }
        QTemporaryDir dir;
        const WallpaperFiles files(dir.filePath("deep/data"));
        const Result<void> written = files.writeBitmap(image);
        QVERIFY2(written, qPrintable(written.error()));
        QCOMPARE(files.bitmapPath(), dir.filePath("deep/data/Rotafond.bmp"));
        QCOMPARE(QImageReader(files.bitmapPath()).format(), QByteArray("bmp"));
        QCOMPARE(QImage(files.bitmapPath()).convertToFormat(QImage::Format_RGB32), opaque);
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(dir.filePath("deep/data")).entryList(QDir::Files),
                 QStringList{"Rotafond.bmp"});
    }

    void freshName_isNeverHandedOutTwiceAcrossRestarts_data() {
        QTest::addColumn<QByteArray>("damagedRecord");
        QTest::newRow("record kept") << QByteArray();
        QTest::newRow("record damaged") << QByteArray("x\n\0");
    }
    void freshName_isNeverHandedOutTwiceAcrossRestarts() {
        QFETCH(QByteArray, damagedRecord);
        QTemporaryDir dir;
        QStringList handedOut;
        int colour = 0;
        const auto change = [&](WallpaperFiles &files) {
            QImage image(2, 2, QImage::Format_RGB32);
            image.fill(qRgb(++colour * 20, 0, 0));
            QVERIFY(files.writeBitmap(image));
            // The copy and each monitor's own picture are new with every change.
            QStringList names;
            for (const Result<QString> &name :
                 {files.freshlyNamedCopy(), files.monitorPicture("HDMI-A-1", image),
                  files.monitorPicture("DP 2/x", image)}) {
                QVERIFY2(name, qPrintable(name.error()));
                names.append(*name);
            }
            QVERIFY(QRegularExpression("/Rotafond-[0-9]+\\.bmp$").match(names[0]).hasMatch());
            QCOMPARE(QImage(names[0]).pixel(0, 0), qRgb(colour * 20, 0, 0));
            for (const QString &name : names) {
                QVERIFY2(!handedOut.contains(name), qPrintable(name));
                handedOut.append(name);
            }
            // The ones shown before may still be fading out; no others pile up.
            QVERIFY(QDir(dir.path()).entryList({"Rotafond-*.bmp"}).size() <= 6);
        };
        {
            WallpaperFiles files(dir.path());
            for (int i = 0; i < 3; ++i)
                change(files);
        }
        if (!damagedRecord.isNull())
            QVERIFY(writeBytes(dir.filePath("Rotafond.last"), damagedRecord));
        WallpaperFiles restarted(dir.path());
        change(restarted);
        change(restarted);
    }
};

QTEST_GUILESS_MAIN(TestWallpaperFiles)
#include "tst_wallpaperfiles.moc"
