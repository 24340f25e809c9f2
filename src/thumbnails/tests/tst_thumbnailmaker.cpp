#include "testimages.h"
#include "thumbnailcache.h"
#include "thumbnailmaker.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QSize Canvas(140, 105);
const QColor Face(212, 208, 200);
} // namespace

class TestThumbnailMaker : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QDir m_pictures;
    QString m_cacheFolder;

    Thumbnail make(const QString &path) {
        return makeThumbnail(path, ThumbnailCache(m_cacheFolder), Canvas, Face);
    }

private Q_SLOTS:
    void init() {
        QDir(m_root.path()).removeRecursively();
        QDir().mkpath(m_root.filePath(QStringLiteral("pictures")));
        m_pictures.setPath(m_root.filePath(QStringLiteral("pictures")));
        m_cacheFolder = m_root.filePath(QStringLiteral("cache/thumbnails"));
    }

    // What is drawn, centred in its shape; nothing for what is no picture.
    void makeThumbnail_drawsPicturesOnly_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QRect>("drawn");
        const QByteArray png = pictureBytes(QSize(300, 200), "PNG");
        QTest::newRow("jpeg named .png")
            << "b.png" << pictureBytes(QSize(300, 200), "JPG") << QRect(1, 6, 138, 92);
        // Decoded at 1/8 of its size, then fitted.
        QTest::newRow("large jpeg")
            << "big.jpg" << pictureBytes(QSize(4000, 3000), "JPG") << QRect(1, 1, 137, 103);
        QTest::newRow("truncated png") << "cut.png" << png.left(40) << QRect();
        QTest::newRow("cursor by extension") << "arrow.CUR" << png << QRect();
        QTest::newRow("icon named .png")
            << "i.png" << pictureBytes(QSize(32, 32), "ICO") << QRect();
        // A bitmap header claiming 60000 x 60000 pixels: refused before decoding.
        QTest::newRow("huge header") << "huge.bmp" << bitmapClaiming(60000) << QRect();
    }
    void makeThumbnail_drawsPicturesOnly() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QRect, drawn);
        QVERIFY(writeBytes(m_pictures.filePath(name), content));
        const Thumbnail thumbnail = make(m_pictures.filePath(name));
        QCOMPARE(thumbnail.ok, drawn.isValid());
        QCOMPARE(thumbnail.ok ? drawnArea(thumbnail.canvas, Face.rgb()) : QRect(), drawn);
    }

    // The desktop's shared cache is filled and used, but an entry that cannot
    // be trusted, or a cache that cannot be written, gives the picture's own.
    void makeThumbnail_usesOnlyAGoodCacheEntry_data() {
        QTest::addColumn<QString>("spoil");
        QTest::newRow("good entry") << "";
        QTest::newRow("picture changed since") << "changed";
        QTest::newRow("entry damaged") << "damaged";
        QTest::newRow("cache folder is a file") << "blocked";
    }
    void makeThumbnail_usesOnlyAGoodCacheEntry() {
        QFETCH(QString, spoil);
        const QString path = writePicture(m_pictures, QStringLiteral("p.png"), QSize(1000, 500));
        const ThumbnailCache cache(m_cacheFolder);
        const Thumbnail first = make(path);
        QVERIFY(first.ok && !first.fromCache);
        QCOMPARE(QImageReader(cache.fileFor(path)).size(), QSize(256, 128));
        if (spoil == QLatin1String("changed")) {
            writePicture(m_pictures, QStringLiteral("p.png"), QSize(1000, 500), Qt::red);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                     QFileDevice::FileModificationTime));
        } else if (spoil == QLatin1String("damaged")) {
            QVERIFY(writeBytes(cache.fileFor(path), "garbage"));
        } else if (spoil == QLatin1String("blocked")) {
            QDir(m_cacheFolder).removeRecursively();
            QVERIFY(writeBytes(m_cacheFolder, "not a folder"));
        }
        const Thumbnail again = make(path);
        QVERIFY(again.ok);
        QCOMPARE(again.fromCache, spoil.isEmpty());
        // Fitted from the picture's own size, as without the cache.
        QCOMPARE(drawnArea(again.canvas, Face.rgb()), drawnArea(first.canvas, Face.rgb()));
        QCOMPARE(again.canvas.pixel(70, 52), QImage(path).pixel(0, 0));
    }

    // Committed pictures, one per Exif orientation, each upright 64 x 32.
    void makeThumbnail_turnsPicturesByTheirOrientation_data() {
        QTest::addColumn<int>("orientation");
        for (int orientation = 1; orientation <= 8; ++orientation)
            QTest::addRow("orientation %d", orientation) << orientation;
    }
    void makeThumbnail_turnsPicturesByTheirOrientation() {
        QFETCH(int, orientation);
        const Thumbnail thumbnail =
            make(QStringLiteral(ROTAFOND_ORIENTATION_PICTURES "/exif-%1.jpg").arg(orientation));
        QVERIFY(thumbnail.ok);
        const QRect drawn = drawnArea(thumbnail.canvas, Face.rgb());
        QCOMPARE(drawn.size(), QSize(64, 32));
        // Red stays top left, yellow bottom right.
        const QRgb topLeft = thumbnail.canvas.pixel(drawn.topLeft() + QPoint(4, 4));
        const QRgb bottomRight = thumbnail.canvas.pixel(drawn.bottomRight() - QPoint(4, 4));
        QVERIFY(qRed(topLeft) > 200 && qGreen(topLeft) < 60);
        QVERIFY(qRed(bottomRight) > 200 && qGreen(bottomRight) > 200);
    }
};

QTEST_GUILESS_MAIN(TestThumbnailMaker)
#include "tst_thumbnailmaker.moc"
