#include "testimages.h"
#include "thumbnailcache.h"

#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
const QSize Original(600, 400);
const QSize Thumb(256, 171);

qint64 modifiedOf(const QString &path) {
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

QString tumblerDaemon() {
    QStringList candidates{QStringLiteral("/usr/libexec/tumbler-1/tumblerd")};
    const QDir lib(QStringLiteral("/usr/lib"));
    for (const QString &arch : lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        candidates.append(lib.filePath(arch + QStringLiteral("/tumbler-1/tumblerd")));
    for (const QString &candidate : candidates) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return {};
}

// A session bus of our own that starts nothing by itself, so the only
// thumbnailer on it is the one the test starts.
const char *const BusConfig =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>\n"
    "<policy context=\"default\"><allow send_destination=\"*\"/><allow receive_sender=\"*\"/>\n"
    "<allow own=\"*\"/></policy>\n"
    "</busconfig>\n";

int modeOf(const QString &path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777)
                                                                     : -1;
}
} // namespace

class TestThumbnailCache : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString cacheHome() const { return m_root.filePath(QStringLiteral("cache")); }
    ThumbnailCache cache() const {
        return ThumbnailCache(cacheHome() + QStringLiteral("/thumbnails"));
    }

    QString picture(const QString &relativePath) {
        const QString path = m_root.filePath(QStringLiteral("pictures/") + relativePath);
        QDir().mkpath(QFileInfo(path).path());
        return writePicture(QFileInfo(path).dir(), QFileInfo(path).fileName(), Original);
    }

private Q_SLOTS:
    void init() {
        QDir(m_root.path()).removeRecursively();
        QDir().mkpath(m_root.path());
    }

    void store_isFoundValidByGlib_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "photo.png";
        QTest::newRow("brackets, semicolon") << "[2019]; beach.png";
        QTest::newRow("percent, space, hash") << "100% sure #1.png";
        QTest::newRow("query, ampersand") << "what? you & me.png";
        QTest::newRow("accents") << QStringLiteral("été à Nîmes.png");
        QTest::newRow("kept punctuation") << "a!$&'()*+,=@_~-.png";
        QTest::newRow("escaped punctuation") << "a\"<>\\^`{|}.png";
        QTest::newRow("long path") << QStringLiteral("holidays in the mountains ").repeated(4) +
                                          QLatin1Char('/') + QStringLiteral("x").repeated(120) +
                                          QStringLiteral(".png");
    }

    void store_isFoundValidByGlib() {
        QFETCH(QString, name);
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("gio is not installed (package libglib2.0-bin)");
        const QString path = picture(name);
        QImage thumbnail(Thumb, QImage::Format_RGB32);
        thumbnail.fill(Qt::darkCyan);
        QVERIFY(cache().store(path, modifiedOf(path), thumbnail, Original));

        QProcess info;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome());
        environment.insert(QStringLiteral("HOME"), m_root.path());
        // The plain local file system: no daemon, no session bus needed.
        environment.insert(QStringLiteral("GIO_USE_VFS"), QStringLiteral("local"));
        info.setProcessEnvironment(environment);
        info.start(gio, {QStringLiteral("info"), QStringLiteral("-a"),
                         QStringLiteral("thumbnail::path,thumbnail::is-valid"), path});
        QVERIFY(info.waitForFinished(10000));
        const QString output = QString::fromUtf8(info.readAllStandardOutput());
        QCOMPARE(info.exitCode(), 0);
        QVERIFY2(output.contains(QStringLiteral("thumbnail::path: ") + cache().fileFor(path)),
                 qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("thumbnail::is-valid: TRUE")), qPrintable(output));

        const auto hit = cache().find(path, modifiedOf(path));
        QVERIFY(hit);
        QCOMPARE(hit->image.size(), Thumb);
        QCOMPARE(hit->originalSize, Original);
    }

    void find_comparesWholeSecondsOfTheModificationTime_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("found");
        const qint64 when = 1796662944;
        QTest::newRow("whole seconds") << QString::number(when) << true;
        QTest::newRow("with a fraction")
            << QString::number(when) + QStringLiteral(".869714") << true;
        QTest::newRow("one second later") << QString::number(when + 1) << false;
        QTest::newRow("the second before")
            << QString::number(when - 1) + QStringLiteral(".999999") << false;
        QTest::newRow("not a number") << QString::number(when) + QStringLiteral(".5x") << false;
        QTest::newRow("missing") << QString() << false;
    }

    void find_comparesWholeSecondsOfTheModificationTime() {
        QFETCH(QString, stored);
        QFETCH(bool, found);
        // Another program's thumbnail, tagged as tumbler tags them.
        const QString path = picture(QStringLiteral("holiday photo.png"));
        QImage thumbnail(Thumb, QImage::Format_ARGB32);
        thumbnail.fill(Qt::darkRed);
        thumbnail.setText(QStringLiteral("Thumb::URI"),
                          QString::fromLatin1(ThumbnailCache::uriOf(path)));
        if (!stored.isNull())
            thumbnail.setText(QStringLiteral("Thumb::MTime"), stored);
        QDir().mkpath(QFileInfo(cache().fileFor(path)).path());
        QVERIFY(thumbnail.save(cache().fileFor(path), "PNG"));

        QCOMPARE(bool(cache().find(path, 1796662944)), found);
    }

    void find_usesTheThumbnailTumblerMade() {
        const QString daemon = tumblerDaemon();
        const QString busDaemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
        if (daemon.isEmpty() || busDaemon.isEmpty() || gdbus.isEmpty())
            QSKIP("needs tumbler, dbus-daemon and gdbus (packages tumbler, dbus-daemon, "
                  "libglib2.0-bin)");
        const QString path = picture(QStringLiteral("[2019]; tumbler made this.png"));

        QFile config(m_root.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly) && config.write(BusConfig) > 0);
        config.close();
        QProcess bus;
        QProcess tumbler;
        const auto stop = qScopeGuard([&] {
            for (QProcess *process : {&tumbler, &bus}) {
                process->terminate();
                process->waitForFinished(5000);
            }
        });
        bus.start(busDaemon, {QStringLiteral("--config-file=") + config.fileName(),
                              QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY(bus.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome());
        environment.insert(QStringLiteral("HOME"), m_root.path());
        tumbler.setProcessEnvironment(environment);
        tumbler.start(daemon, {});
        QVERIFY(tumbler.waitForStarted(5000));

        // Asked until the thumbnailer has taken its name on the bus.
        const auto queue = [&] {
            QProcess call;
            call.start(
                gdbus,
                {QStringLiteral("call"), QStringLiteral("--address"), address,
                 QStringLiteral("--timeout"), QStringLiteral("5"), QStringLiteral("--dest"),
                 QStringLiteral("org.freedesktop.thumbnails.Thumbnailer1"),
                 QStringLiteral("--object-path"),
                 QStringLiteral("/org/freedesktop/thumbnails/Thumbnailer1"),
                 QStringLiteral("--method"),
                 QStringLiteral("org.freedesktop.thumbnails.Thumbnailer1.Queue"),
                 QStringLiteral("['%1']").arg(QString::fromLatin1(ThumbnailCache::uriOf(path))),
                 QStringLiteral("['image/png']"), QStringLiteral("large"),
                 QStringLiteral("default"), QStringLiteral("0")});
            return call.waitForFinished(5000) && call.exitStatus() == QProcess::NormalExit &&
                   call.exitCode() == 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(queue(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(cache().fileFor(path)), 10000);

        const auto hit = cache().find(path, modifiedOf(path));
        QVERIFY(hit);
        QVERIFY(hit->image.width() <= ThumbnailCache::LargeSize && !hit->image.isNull());
    }

    void store_restrictsOnlyTheFoldersItCreates() {
        QImage thumbnail(Thumb, QImage::Format_RGB32);
        thumbnail.fill(Qt::darkCyan);
        const QString path = picture(QStringLiteral("photo.png"));

        QVERIFY(cache().store(path, modifiedOf(path), thumbnail, Original));
        QCOMPARE(modeOf(cacheHome() + QStringLiteral("/thumbnails")), 0700);
        QCOMPARE(modeOf(cacheHome() + QStringLiteral("/thumbnails/large")), 0700);
        QCOMPARE(modeOf(cache().fileFor(path)), 0600);

        // A cache whose folders the user made, its "large" a link elsewhere.
        const QString shared = m_root.filePath(QStringLiteral("shared"));
        const QString elsewhere = m_root.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(shared) && QDir().mkpath(elsewhere));
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(elsewhere).constData(), 0775) == 0);
        QVERIFY(QFile::link(elsewhere, shared + QStringLiteral("/large")));
        const ThumbnailCache linked(shared);
        QVERIFY(linked.store(path, modifiedOf(path), thumbnail, Original));
        QVERIFY(QFile::exists(elsewhere + QLatin1Char('/') +
                              QFileInfo(linked.fileFor(path)).fileName()));
        QCOMPARE(modeOf(shared), 0755);
        QCOMPARE(modeOf(elsewhere), 0775);
    }
};

QTEST_GUILESS_MAIN(TestThumbnailCache)
#include "tst_thumbnailcache.moc"
