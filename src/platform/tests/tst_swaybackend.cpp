#include "changejob.h"
#include "desktops/swaybackend.h"
#include "wallpaperfiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// A real headless sway (it refuses root, so as "nobody" when we are root) and
// grim's screenshot of its output: what the user would see.
namespace {

const QString DebianConfig = QStringLiteral("/etc/sway/config");
const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Green = qRgb(0, 255, 0),
           Yellow = qRgb(255, 255, 0), Black = qRgb(0, 0, 0);

struct Probe {
    QPoint at;
    QRgb colour;
};
using Probes = QList<Probe>;

// The headless output is 1280x720; Debian's bar sits at the top, so every
// probe stays below it. Tiles of a 64-pixel picture start at the origin.
const Probes StretchedRedBlue{{{100, 600}, Red}, {{1180, 600}, Blue}};
const Probes StretchedGreenYellow{{{100, 600}, Green}, {{1180, 600}, Yellow}};
const Probes TiledRedBlue{{{966, 600}, Red}, {{1000, 600}, Blue}, {{70, 700}, Red}};
const Probes CentredRedBlue{{{620, 360}, Red}, {{660, 360}, Blue}};
const Probes Cleared{{{100, 600}, Black}, {{640, 360}, Black}, {{1200, 700}, Black}};

void writePicture(const QString &path, QRgb left, QRgb right) {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(left);
    for (int y = 0; y < 64; ++y)
        for (int x = 32; x < 64; ++x)
            image.setPixel(x, y, right);
    QVERIFY(image.save(path, "BMP"));
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                               QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

QList<pid_t> childrenOf(pid_t pid) {
    QList<pid_t> result;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + "/children"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &child : file.readAll().split(' '))
            if (child.trimmed().toInt() > 0)
                result.append(pid_t(child.trimmed().toInt()));
    }
    return result;
}

QList<pid_t> descendantsOf(pid_t pid) {
    QList<pid_t> result = childrenOf(pid);
    for (qsizetype i = 0; i < result.size(); ++i)
        result += childrenOf(result.at(i));
    return result;
}

// "comm" and state from /proc/<pid>/stat.
QPair<QByteArray, char> nameAndState(pid_t pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.readAll();
    const qsizetype open = stat.indexOf('('), close = stat.lastIndexOf(')');
    if (open < 0 || close < 0 || close + 2 >= stat.size())
        return {};
    return {stat.mid(open + 1, close - open - 1), stat.at(close + 2)};
}

} // namespace

class TestSwayBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void showsEveryChange_data();
    void showsEveryChange();
    void failuresAreReported_data();
    void failuresAreReported();
    void withoutSwayIpc_ownSwaybgGoesWithTheBackend();
    void twoOutputs_eachShowsItsOwnComposition();

private:
    void startSway(const QString &config);
    void stopSway();
    bool shows(const Probes &probes);
    int runningSwaybg();
    QString picture(const QString &name) const { return m_dir.filePath("pictures/" + name); }

    QTemporaryDir m_dir;
    QProcess m_sway;
    QString m_config;
    QString m_socket;
    QString m_lastGrab;
};

void TestSwayBackend::initTestCase() {
    for (const char *tool : {"sway", "swaymsg", "swaybg", "grim"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed.").arg(QLatin1String(tool))));
    if (::geteuid() == 0 && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("sway refuses root and setpriv is missing to run it as nobody.");
    // swaybg processes sway leaves to be reparented become ours to count and reap.
    QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
    QVERIFY(m_dir.isValid());
    const auto readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                          QFileDevice::ExeOther;
    QVERIFY(QFile(m_dir.path()).setPermissions(readable));
    QVERIFY(QDir(m_dir.path()).mkpath("pictures"));
    QVERIFY(QFile(m_dir.filePath("pictures")).setPermissions(readable));
    QFile minimal(m_dir.filePath("minimal.conf"));
    QVERIFY(minimal.open(QIODevice::WriteOnly));
    minimal.write("xwayland disable\n");
    minimal.close();
    QVERIFY(minimal.setPermissions(readable & ~QFileDevice::ExeOwner));
}

void TestSwayBackend::cleanupTestCase() {
    stopSway();
}

void TestSwayBackend::startSway(const QString &config) {
    if (m_sway.state() != QProcess::NotRunning && m_config == config)
        return;
    stopSway();
    const QString runtime = m_dir.filePath("run");
    QDir(runtime).removeRecursively();
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile(runtime).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner));
    QString program = QStringLiteral("sway");
    QStringList arguments{QStringLiteral("-c"), config};
    if (::geteuid() == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("sway refuses root and there is no user nobody to run it as.");
        QVERIFY(::chown(QFile::encodeName(runtime).constData(), nobody->pw_uid, nobody->pw_gid) ==
                0);
        program = QStringLiteral("setpriv");
        arguments = QStringList{QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                                QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                                QStringLiteral("--clear-groups"), QStringLiteral("sway")} +
                    arguments;
    }
    QProcessEnvironment environment;
    environment.insert("PATH", qEnvironmentVariable("PATH"));
    environment.insert("HOME", runtime);
    environment.insert("XDG_RUNTIME_DIR", runtime);
    environment.insert("WLR_BACKENDS", "headless");
    environment.insert("WLR_LIBINPUT_NO_DEVICES", "1");
    environment.insert("WLR_RENDERER", "pixman");
    m_sway.setProcessEnvironment(environment);
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    m_sway.start(program, arguments);
    QVERIFY(m_sway.waitForStarted());
    m_config = config;
    QDir run(runtime);
    QStringList sockets, displays;
    for (int waited = 0; waited < 10000 && m_sway.state() == QProcess::Running; waited += 50) {
        sockets = run.entryList({"sway-ipc.*.sock"}, QDir::System);
        displays = run.entryList({"wayland-?"}, QDir::System);
        if (!sockets.isEmpty() && !displays.isEmpty())
            break;
        QTest::qWait(50);
    }
    if (sockets.isEmpty() || displays.isEmpty()) {
        const QString log = QString::fromLocal8Bit(m_sway.readAll()).right(600);
        stopSway();
        QSKIP(qPrintable("sway cannot run here: " + log));
    }
    m_socket = run.filePath(sockets.first());
    qputenv("SWAYSOCK", QFile::encodeName(m_socket));
    qputenv("WAYLAND_DISPLAY", QFile::encodeName(run.filePath(displays.first())));
    // The output exists once sway answers with it.
    QTRY_VERIFY_WITH_TIMEOUT(shows({}), 10000);
}

void TestSwayBackend::stopSway() {
    // Everything below this test was started by it: sway, and what sway
    // started and left to be reparented here.
    const pid_t sway = pid_t(m_sway.processId());
    for (const pid_t pid : descendantsOf(::getpid()))
        if (pid != sway)
            ::kill(pid, SIGTERM);
    if (m_sway.state() != QProcess::NotRunning) {
        m_sway.terminate();
        if (!m_sway.waitForFinished(5000)) {
            m_sway.kill();
            m_sway.waitForFinished();
        }
    }
    // Whatever did not end on SIGTERM is killed, so reaping cannot hang.
    for (const pid_t pid : childrenOf(::getpid())) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    m_config.clear();
}

bool TestSwayBackend::shows(const Probes &probes) {
    QProcess grim;
    grim.start(QStringLiteral("grim"),
               {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
    if (!grim.waitForFinished(5000) || grim.exitCode() != 0) {
        m_lastGrab = QString::fromLocal8Bit(grim.readAllStandardError());
        return false;
    }
    const QImage screen = QImage::fromData(grim.readAllStandardOutput(), "PPM");
    m_lastGrab = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
    if (screen.size() != QSize(1280, 720))
        return false;
    for (const Probe &probe : probes) {
        const QRgb seen = screen.pixel(probe.at);
        m_lastGrab +=
            QStringLiteral(" (%1,%2)=%3").arg(probe.at.x()).arg(probe.at.y()).arg(seen, 6, 16);
        if ((seen & 0xffffff) != (probe.colour & 0xffffff))
            return false;
    }
    return true;
}

// swaybg processes below this test that have not ended; zombies sway left to
// us are reaped on the way.
int TestSwayBackend::runningSwaybg() {
    int running = 0;
    const QList<pid_t> direct = childrenOf(::getpid());
    for (const pid_t pid : descendantsOf(::getpid())) {
        const auto [name, state] = nameAndState(pid);
        if (state == 'Z' && direct.contains(pid) && pid != pid_t(m_sway.processId()))
            ::waitpid(pid, nullptr, WNOHANG);
        else if (name == "swaybg" && state != 'Z')
            ++running;
    }
    return running;
}

void TestSwayBackend::showsEveryChange_data() {
    QTest::addColumn<QString>("config");
    QTest::addColumn<int>("swaysOwn");
    // Debian's default sets its own "output * bg" picture (from sway-backgrounds,
    // when installed): ours must replace the swaybg sway runs for it.
    QFile debian(DebianConfig);
    if (debian.open(QIODevice::ReadOnly)) {
        int swaysOwn = 0;
        for (const QByteArray &line : debian.readAll().split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            if (words.size() > 3 && words.at(0) == "output" && words.at(2) == "bg")
                swaysOwn = QFile::exists(QFile::decodeName(words.at(3))) ? 1 : 0;
        }
        QTest::newRow("debian-default") << DebianConfig << swaysOwn;
    }
    QTest::newRow("minimal") << m_dir.filePath("minimal.conf") << 0;
}

void TestSwayBackend::showsEveryChange() {
    QFETCH(QString, config);
    QFETCH(int, swaysOwn);
    startSway(config);
    QTRY_COMPARE(runningSwaybg(), swaysOwn);
    const QString first = picture("Rotafond.bmp"), second = picture("Rotafond-2.bmp");
    writePicture(first, Red, Blue);
    writePicture(second, Green, Yellow);
    {
        SwayBackend backend;
        const QList<QPair<WallpaperStyle, Probes>> styles{
            {WallpaperStyle::Tile, TiledRedBlue},
            {WallpaperStyle::Center, CentredRedBlue},
            {WallpaperStyle::Stretch, StretchedRedBlue}};
        for (const auto &[style, probes] : styles) {
            const ApplyResult result = backend.apply(first, QImage(), style);
            QVERIFY2(result.ok, qPrintable(result.error));
            QTRY_VERIFY2(shows(probes), qPrintable(m_lastGrab));
        }
        // The same file name with new content, as every change rewrites it.
        writePicture(first, Green, Yellow);
        QVERIFY(backend.apply(first, QImage(), WallpaperStyle::Stretch).ok);
        QTRY_VERIFY2(shows(StretchedGreenYellow), qPrintable(m_lastGrab));
        writePicture(second, Red, Blue);
        QVERIFY(backend.apply(second, QImage(), WallpaperStyle::Stretch).ok);
        QTRY_VERIFY2(shows(StretchedRedBlue), qPrintable(m_lastGrab));
    }
    // Each run of the program has a backend of its own; none leaves a swaybg behind.
    for (int run = 0; run < 5; ++run) {
        const bool even = run % 2 == 0;
        QVERIFY(SwayBackend().apply(even ? first : second, QImage(), WallpaperStyle::Stretch).ok);
        QTRY_VERIFY2(shows(even ? StretchedGreenYellow : StretchedRedBlue), qPrintable(m_lastGrab));
        QTRY_COMPARE(runningSwaybg(), 1);
    }
    QVERIFY(SwayBackend().apply(QString(), QImage(), WallpaperStyle::Clear).ok);
    QTRY_VERIFY2(shows(Cleared), qPrintable(m_lastGrab));
    QTRY_COMPARE(runningSwaybg(), 1);
}

void TestSwayBackend::failuresAreReported_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("swayAnswers");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("command substitution") << "pic $(touch hit).bmp" << true << "sway";
    QTest::newRow("command separator") << "pic;exec touch hit.bmp" << true << "sway";
    QTest::newRow("missing file") << "" << true << "cannot be read";
    QTest::newRow("no sway on the socket") << "Rotafond.bmp" << false << "swaymsg";
}

void TestSwayBackend::failuresAreReported() {
    QFETCH(QString, name);
    QFETCH(bool, swayAnswers);
    QFETCH(QString, mentions);
    startSway(m_dir.filePath("minimal.conf"));
    const QString shown = picture("Rotafond.bmp");
    writePicture(shown, Red, Blue);
    QVERIFY(SwayBackend().apply(shown, QImage(), WallpaperStyle::Stretch).ok);
    QTRY_VERIFY2(shows(StretchedRedBlue), qPrintable(m_lastGrab));
    const QString path = name.isEmpty() ? picture("gone.bmp") : picture(name);
    if (!name.isEmpty())
        writePicture(path, Green, Yellow);
    if (!swayAnswers)
        qputenv("SWAYSOCK", QFile::encodeName(m_dir.filePath("run/nobody-listens.sock")));
    const ApplyResult result = SwayBackend().apply(path, QImage(), WallpaperStyle::Tile);
    qputenv("SWAYSOCK", QFile::encodeName(m_socket));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(mentions), qPrintable(result.error));
    QTest::qWait(300);
    QVERIFY2(shows(StretchedRedBlue), qPrintable(m_lastGrab));
    QVERIFY(!QFile::exists(picture("hit")) && !QFile::exists(m_dir.filePath("run/hit")));
}

void TestSwayBackend::withoutSwayIpc_ownSwaybgGoesWithTheBackend() {
    // A compositor that draws no background of its own.
    stopSway();
    startSway(m_dir.filePath("minimal.conf"));
    QCOMPARE(runningSwaybg(), 0);
    const QString first = picture("Rotafond.bmp"), second = picture("Rotafond-2.bmp");
    writePicture(first, Red, Blue);
    writePicture(second, Green, Yellow);
    // Another wlroots compositor: no sway IPC, only Wayland.
    qunsetenv("SWAYSOCK");
    {
        SwayBackend backend;
        QVERIFY(backend.apply(first, QImage(), WallpaperStyle::Tile).ok);
        QTRY_VERIFY2(shows(TiledRedBlue), qPrintable(m_lastGrab));
        QVERIFY(backend.apply(second, QImage(), WallpaperStyle::Stretch).ok);
        QTRY_VERIFY2(shows(StretchedGreenYellow), qPrintable(m_lastGrab));
        // The previous one of ours is gone.
        QCOMPARE(runningSwaybg(), 1);
    }
    QCOMPARE(runningSwaybg(), 0);
    const QByteArray display = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", "wayland-nowhere");
    const ApplyResult nowhere = SwayBackend().apply(first, QImage(), WallpaperStyle::Tile);
    qputenv("WAYLAND_DISPLAY", display);
    qputenv("SWAYSOCK", QFile::encodeName(m_socket));
    QVERIFY(!nowhere.ok);
    QVERIFY2(nowhere.error.contains("swaybg"), qPrintable(nowhere.error));
}

void TestSwayBackend::twoOutputs_eachShowsItsOwnComposition() {
    startSway(m_dir.filePath("minimal.conf"));
    const auto swaymsg = [](const QString &command) {
        QProcess sway;
        sway.start("swaymsg", {command});
        return sway.waitForFinished(5000) && sway.exitCode() == 0;
    };
    QVERIFY(swaymsg("create_output"));
    QVERIFY(swaymsg("output HEADLESS-2 mode 800x600 position 1280 0"));
    const auto grab = [](const char *output) {
        QProcess grim;
        grim.start("grim", {"-o", output, "-t", "ppm", "-"});
        grim.waitForFinished(5000);
        return QImage::fromData(grim.readAllStandardOutput(), "PPM");
    };
    QTRY_COMPARE(grab("HEADLESS-2").size(), QSize(800, 600));
    // 200x100, red left and blue right: proportional it is 1280x640 centred
    // on the first output and 800x400 on the second.
    const QString path = picture("wide.bmp");
    QImage wide(200, 100, QImage::Format_RGB32);
    wide.fill(Red);
    for (int y = 0; y < 100; ++y)
        for (int x = 100; x < 200; ++x)
            wide.setPixel(x, y, Blue);
    QVERIFY(wide.save(path));
    WallpaperFiles files(m_dir.filePath("pictures"));
    SwayBackend backend;
    const std::atomic_bool notCancelled = false;
    const ChangeResult result = runChange(
        {{{path, true, true, false}}, 0, 0, true, {{"HEADLESS-1", QRect(0, 0, 1280, 720)}}}, files,
        backend, notCancelled);
    QCOMPARE(result.outcome, ChangeOutcome::Shown);
    const struct {
        const char *output;
        Probes probes;
    } expected[] = {
        {"HEADLESS-1", {{{100, 360}, Red}, {{1180, 360}, Blue}, {{640, 20}, Black}}},
        {"HEADLESS-2", {{{50, 300}, Red}, {{750, 300}, Blue}, {{400, 50}, Black}}},
    };
    for (const auto &[output, probes] : expected)
        for (const Probe &probe : probes)
            QTRY_COMPARE(grab(output).pixel(probe.at) & 0xffffff, probe.colour & 0xffffff);
    stopSway();
}

QTEST_GUILESS_MAIN(TestSwayBackend)
#include "tst_swaybackend.moc"
