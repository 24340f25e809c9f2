#include "testimages.h"
#include "thumbnailcache.h"
#include "thumbnailmaker.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {
const QSize Canvas(140, 105);
const QColor Face(212, 208, 200);
} // namespace

class TestThumbnailMaker : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QDir m_pictures;
    QString m_cacheFolder;

    QString writeFile(const QString &name, const QByteArray &content) {
        QFile file(m_pictures.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(name));
        file.write(content);
        return file.fileName();
    }

private Q_SLOTS:
    void init() {
        QDir root(m_root.path());
        root.removeRecursively();
        QDir().mkpath(m_root.filePath(QStringLiteral("pictures")));
        m_pictures.setPath(m_root.filePath(QStringLiteral("pictures")));
        m_cacheFolder = m_root.filePath(QStringLiteral("cache/thumbnails"));
    }

    void makeThumbnail_refusesWhatIsNoPicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("ok");
        const QByteArray png = pictureBytes(QSize(300, 200), "PNG");
        const QByteArray jpeg = pictureBytes(QSize(300, 200), "JPG");
        QTest::newRow("png") << "a.png" << png << true;
        QTest::newRow("jpeg named .png") << "b.png" << jpeg << true;
        QTest::newRow("photo.current.jpg is a photo") << "photo.current.jpg" << jpeg << true;
        QTest::newRow("text") << "notes.txt" << QByteArray("just some words\n") << false;
        QTest::newRow("text named .jpg") << "fake.jpg" << QByteArray("not a jpeg at all") << false;
        QTest::newRow("zero bytes") << "empty.png" << QByteArray() << false;
        QTest::newRow("truncated png") << "cut.png" << png.left(40) << false;
        QTest::newRow("icon by extension") << "logo.ico" << png << false;
        QTest::newRow("cursor by extension") << "arrow.CUR" << png << false;
        // A bitmap header claiming 60000 x 60000 pixels: refused before decoding.
        QTest::newRow("huge header") << "huge.bmp" << bitmapClaiming(60000) << false;
    }

    void makeThumbnail_refusesWhatIsNoPicture() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, ok);
        const QString path = writeFile(name, content);
        const Thumbnail thumbnail =
            makeThumbnail(path, ThumbnailCache(m_cacheFolder), Canvas, Face);
        QCOMPARE(thumbnail.ok, ok);
        if (ok) {
            QCOMPARE(thumbnail.canvas.size(), Canvas);
            // 300 x 200 fitted into 138 x 103 keeps its shape, centred.
            QCOMPARE(drawnArea(thumbnail.canvas, Face.rgb()), QRect(1, 6, 138, 92));
        }
    }

    void makeThumbnail_iconByRealFormatIsRefused() {
        if (!QImageWriter::supportedImageFormats().contains("ico"))
            QSKIP("no ICO writer in this Qt");
        const QString path =
            writeFile(QStringLiteral("innocent.png"), pictureBytes(QSize(32, 32), "ICO"));
        QVERIFY(!makeThumbnail(path, ThumbnailCache({}), Canvas, Face).ok);
    }

    void makeThumbnail_fillsAndUsesTheSharedCache() {
        const QString path = writePicture(m_pictures, QStringLiteral("big.png"), QSize(1000, 500));
        const ThumbnailCache cache(m_cacheFolder);
        const Thumbnail first = makeThumbnail(path, cache, Canvas, Face);
        QVERIFY(first.ok);
        QVERIFY(!first.fromCache);

        // What other desktop programs expect to find.
        QImageReader stored(cache.fileFor(path));
        QCOMPARE(QFileInfo(stored.fileName()).path(), m_cacheFolder + QStringLiteral("/large"));
        const QImage storedImage = QImageReader(cache.fileFor(path)).read();
        QCOMPARE(storedImage.text(QStringLiteral("Thumb::URI")),
                 QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
        QCOMPARE(storedImage.text(QStringLiteral("Thumb::MTime")),
                 QString::number(QFileInfo(path).lastModified().toSecsSinceEpoch()));
        QCOMPARE(storedImage.size(), QSize(256, 128));
        QCOMPARE(QFileInfo(stored.fileName()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFileDevice::Permissions());
        QCOMPARE(QDir(m_cacheFolder + QStringLiteral("/large")).entryList(QDir::Files).size(), 1);

        // A picture smaller than a cached thumbnail is not copied into the cache.
        const QString small = writePicture(m_pictures, QStringLiteral("small.png"), QSize(100, 80));
        QVERIFY(makeThumbnail(small, cache, Canvas, Face).ok);
        QVERIFY(!QFile::exists(cache.fileFor(small)));

        const Thumbnail second = makeThumbnail(path, cache, Canvas, Face);
        QVERIFY(second.fromCache);
        // Fitted from the picture's own size, as without the cache.
        QCOMPARE(drawnArea(second.canvas, Face.rgb()), drawnArea(first.canvas, Face.rgb()));
    }

    void makeThumbnail_staleCacheEntryIsMadeAgain() {
        const QString path = writePicture(m_pictures, QStringLiteral("p.png"), QSize(800, 600));
        const ThumbnailCache cache(m_cacheFolder);
        QVERIFY(makeThumbnail(path, cache, Canvas, Face).ok);
        // The picture changes: new content, new time.
        writePicture(m_pictures, QStringLiteral("p.png"), QSize(600, 800), Qt::red);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
        file.close();
        const Thumbnail again = makeThumbnail(path, cache, Canvas, Face);
        QVERIFY(!again.fromCache);
        QCOMPARE(again.canvas.pixel(70, 52), QColor(Qt::red).rgb());
        QCOMPARE(QImageReader(cache.fileFor(path)).size(), QSize(192, 256));
    }

    void makeThumbnail_unwritableCacheStillMakesThumbnails() {
        // A file where the cache folder should be: nothing can be created in it.
        QDir().mkpath(m_root.filePath(QStringLiteral("cache")));
        QFile blocker(m_cacheFolder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString path = writePicture(m_pictures, QStringLiteral("p.png"), QSize(800, 600));
        const Thumbnail thumbnail =
            makeThumbnail(path, ThumbnailCache(m_cacheFolder), Canvas, Face);
        QVERIFY(thumbnail.ok);
        QVERIFY(!thumbnail.fromCache);
    }

    void makeThumbnail_foreignOrDamagedCacheEntryIsIgnored() {
        const QString path = writePicture(m_pictures, QStringLiteral("p.png"), QSize(800, 600));
        const ThumbnailCache cache(m_cacheFolder);
        QVERIFY(makeThumbnail(path, cache, Canvas, Face).ok);
        QFile entry(cache.fileFor(path));
        QVERIFY(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
        entry.write("garbage");
        entry.close();
        const Thumbnail thumbnail = makeThumbnail(path, cache, Canvas, Face);
        QVERIFY(thumbnail.ok);
        QVERIFY(!thumbnail.fromCache);
    }

    void makeThumbnail_turnsPicturesByTheirOrientation() {
        // The sideways orientations: stored 32 x 64, upright 64 x 32, drawn
        // at its own size.
        for (int orientation = 5; orientation <= 8; ++orientation) {
            const Thumbnail thumbnail = makeThumbnail(
                QStringLiteral(ROTAFOND_ORIENTATION_PICTURES "/exif-%1.jpg").arg(orientation),
                ThumbnailCache(m_cacheFolder), Canvas, Face);
            QVERIFY(thumbnail.ok);
            QCOMPARE(drawnArea(thumbnail.canvas, Face.rgb()).size(), QSize(64, 32));
        }
    }

    void makeThumbnail_largeJpegIsDecodedSmall() {
        QImage photo(4000, 3000, QImage::Format_RGB32);
        photo.fill(Qt::darkYellow);
        const QString path = m_pictures.filePath(QStringLiteral("photo.jpg"));
        QVERIFY(photo.save(path, "JPG"));
        const Thumbnail thumbnail =
            makeThumbnail(path, ThumbnailCache(m_cacheFolder), Canvas, Face);
        QVERIFY(thumbnail.ok);
        QCOMPARE(drawnArea(thumbnail.canvas, Face.rgb()), QRect(1, 1, 137, 103));
    }
};

QTEST_GUILESS_MAIN(TestThumbnailMaker)
#include "tst_thumbnailmaker.moc"
