#include "testimages.h"
#include "thumbnailcache.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
const QSize Original(600, 400);

int modeOf(const QString &path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777)
                                                                     : -1;
}
} // namespace

class TestThumbnailCache : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QImage m_thumbnail{QSize(256, 171), QImage::Format_RGB32};

    QString cacheHome() const { return m_root.filePath(QStringLiteral("cache")); }
    ThumbnailCache cache() const { return ThumbnailCache(cacheHome() + "/thumbnails"); }
    QString picture(const QString &relativePath) {
        const QFileInfo path(m_root.filePath(QStringLiteral("pictures/") + relativePath));
        QDir().mkpath(path.path());
        return writePicture(path.dir(), path.fileName(), Original);
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
            QSKIP("gio is not installed (package libglib2.0-bin)");
        m_thumbnail.fill(Qt::darkCyan);
        // What gio starts reads our cache, without a daemon.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome()));
        qputenv("HOME", QFile::encodeName(m_root.path()));
        qputenv("GIO_USE_VFS", "local");
    }
    void init() {
        QDir(m_root.path()).removeRecursively();
        QDir().mkpath(m_root.path());
    }

    // GLib (and so every file manager) finds our thumbnail and takes it as valid.
    void store_isFoundValidByGlib_data() {
        QTest::addColumn<QString>("name");
        // Kept and escaped punctuation of URIs, blanks and accents.
        QTest::newRow("every kind of character")
            << QStringLiteral("[2019]; 100% sure #1? été à Nîmes a!$&'()*+,=@_~- \"<>\\^`{|}.png");
        QTest::newRow("long path") << QStringLiteral("holidays in the mountains ").repeated(4) +
                                          "/" + QString(120, QLatin1Char('x')) + ".png";
    }
    void store_isFoundValidByGlib() {
        QFETCH(QString, name);
        const QString path = picture(name);
        QVERIFY(cache().store(path, QFileInfo(path).lastModified().toSecsSinceEpoch(), m_thumbnail,
                              Original));
        QProcess info;
        info.start(QStringLiteral("gio"),
                   {"info", "-a", "thumbnail::path,thumbnail::is-valid", path});
        QVERIFY(info.waitForFinished(10000));
        const QString output = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(output.contains("thumbnail::path: " + cache().fileFor(path)), qPrintable(output));
        QVERIFY2(output.contains("thumbnail::is-valid: TRUE"), qPrintable(output));
        const auto hit = cache().find(path, QFileInfo(path).lastModified().toSecsSinceEpoch());
        QVERIFY(hit && hit->image.size() == m_thumbnail.size() && hit->originalSize == Original);
        // Thumbnails are private.
        QCOMPARE(modeOf(cacheHome() + "/thumbnails"), 0700);
        QCOMPARE(modeOf(cacheHome() + "/thumbnails/large"), 0700);
        QCOMPARE(modeOf(cache().fileFor(path)), 0600);
    }

    // Another program's thumbnail, its time tagged as GLib's thumbnailers tag it.
    void find_comparesWholeSecondsOfTheModificationTime_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("found");
        QTest::newRow("with a fraction") << "1796662944.869714" << true;
        QTest::newRow("the second before") << "1796662943.999999" << false;
        QTest::newRow("not a number") << "1796662944.5x" << false;
    }
    void find_comparesWholeSecondsOfTheModificationTime() {
        QFETCH(QString, stored);
        const QString path = picture(QStringLiteral("holiday photo.png"));
        QImage thumbnail = m_thumbnail;
        thumbnail.setText(QStringLiteral("Thumb::URI"), ThumbnailCache::uriOf(path));
        thumbnail.setText(QStringLiteral("Thumb::MTime"), stored);
        QDir().mkpath(QFileInfo(cache().fileFor(path)).path());
        QVERIFY(thumbnail.save(cache().fileFor(path), "PNG"));
        QTEST(bool(cache().find(path, 1796662944)), "found");
    }

    void store_leavesFoldersTheUserMadeOrLinkedAsTheyAre() {
        const QString path = picture(QStringLiteral("photo.png"));
        const QString shared = m_root.filePath(QStringLiteral("shared"));
        const QString elsewhere = m_root.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(shared) && QDir().mkpath(elsewhere));
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(elsewhere).constData(), 0775) == 0);
        QVERIFY(QFile::link(elsewhere, shared + "/large"));
        const ThumbnailCache linked(shared);
        QVERIFY(linked.store(path, 1, m_thumbnail, Original));
        QVERIFY(QFile::exists(elsewhere + "/" + QFileInfo(linked.fileFor(path)).fileName()));
        QCOMPARE(modeOf(shared), 0755);
        QCOMPARE(modeOf(elsewhere), 0775);
    }
};

QTEST_GUILESS_MAIN(TestThumbnailCache)
#include "tst_thumbnailcache.moc"
