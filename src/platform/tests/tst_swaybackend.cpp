#include "changejob.h"
#include "desktops/swaybackend.h"
#include "screencheck.h"
#include "wallpaperfiles.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QColor Red(255, 0, 0), Blue(0, 0, 255), Green(0, 255, 0), Yellow(255, 255, 0);

QImage grab(const char *output = "HEADLESS-1") {
    QProcess grim;
    grim.start("grim", {"-o", output, "-t", "ppm", "-"});
    grim.waitForFinished(5000);
    return QImage::fromData(grim.readAllStandardOutput(), "PPM");
}

// Empty once the output shows the two-colour picture as mode shows it
// ("clear": none), else why not after waiting for it.
QString waitUntilShown(const QString &mode, const QColor &left = {}, const QColor &right = {},
                       const char *output = "HEADLESS-1") {
    const ScreenExpectation expected{mode, left, right, {Red, Blue, Green, Yellow}};
    QString why;
    const auto shown = [&] { return (why = checkScreen(grab(output), expected)).isEmpty(); };
    return QTest::qWaitFor(shown, 10000) ? QString() : why;
}

// Applies with backend (a SwayBackend) and waits: empty when shown, else why not.
QString show(auto &&backend, const QString &path, WallpaperStyle style, const QColor &left = {},
             const QColor &right = {}) {
    const ApplyResult result = backend.apply(path, QImage(), style);
    const QString mode = style == WallpaperStyle::Clear ? "clear" : styleWord(style);
    return result.ok ? waitUntilShown(mode, left, right) : result.error;
}

// Every process below this one (what it started, and what they started).
QList<pid_t> descendants() {
    QList<pid_t> found{::getpid()};
    for (qsizetype i = 0; i < found.size(); ++i) {
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(found.at(i)));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile children(tasks.filePath(task + "/children"));
            if (children.open(QIODevice::ReadOnly))
                for (const QByteArray &child : children.readAll().split(' '))
                    if (child.trimmed().toInt() > 0)
                        found.append(pid_t(child.trimmed().toInt()));
        }
    }
    return found.mid(1);
}

int runningSwaybg() {
    int running = 0;
    for (const pid_t pid : descendants()) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
        running += text.contains("(swaybg) ") && !text.contains(") Z ");
    }
    return running;
}

} // namespace

// A real headless sway (it refuses root, so as "nobody" when we are root),
// judged by grim's screenshot of its outputs: what the user would see.
class TestSwayBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { stopSway(); }
    void showsEveryChange_data();
    void showsEveryChange();
    void failuresAreReported_data();
    void failuresAreReported();
    void twoOutputs_eachShowsItsOwnComposition();

private:
    void startSway(const QString &config);
    void stopSway();
    // Readable by the user sway runs as.
    QString picture(const QString &name, const QColor &left, const QColor &right) {
        const QString path = m_dir.filePath(name);
        twoColourPicture(left, right).save(path, "BMP");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        return path;
    }

    QTemporaryDir m_dir;
    QProcess m_sway;
    QString m_config;
    QString m_socket;
};

void TestSwayBackend::initTestCase() {
    for (const char *tool : {"sway", "swaymsg", "swaybg", "grim"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed.").arg(QLatin1String(tool))));
    if (::geteuid() == 0 &&
        (QStandardPaths::findExecutable("setpriv").isEmpty() || !::getpwnam("nobody")))
        QSKIP("sway refuses root, and setpriv or the user nobody to run it as is missing.");
    // What sway starts and leaves to be reparented becomes ours to count and reap.
    QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
    QVERIFY(QFile(m_dir.path())
                .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                QFile::ExeOther));
    // Like Debian's configuration, one has sway run a swaybg for a picture of its own.
    for (const auto &[name, content] :
         {std::pair<QString, QByteArray>{"bare.conf", ""},
          {"own.conf",
           "output * bg " + QFile::encodeName(picture("own.bmp", Green, Green)) + " fill"}}) {
        QFile config(m_dir.filePath(name));
        QVERIFY(config.open(QIODevice::WriteOnly) &&
                config.write("xwayland disable\n" + content) > 0);
        QVERIFY(config.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    }
}

void TestSwayBackend::startSway(const QString &config) {
    if (m_sway.state() != QProcess::NotRunning && m_config == config)
        return;
    stopSway();
    QDir run(m_dir.filePath("run"));
    run.removeRecursively();
    QVERIFY(run.mkpath("."));
    QVERIFY(
        QFile(run.path()).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QStringList command{"sway", "-c", m_dir.filePath(config)};
    if (const passwd *nobody = ::getpwnam("nobody"); ::geteuid() == 0) {
        QVERIFY(::chown(QFile::encodeName(run.path()), nobody->pw_uid, nobody->pw_gid) == 0);
        command = QStringList{"setpriv", QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                              QStringLiteral("--regid=%1").arg(nobody->pw_gid), "--clear-groups"} +
                  command;
    }
    m_sway.setEnvironment({"PATH=" + qEnvironmentVariable("PATH"), "HOME=" + run.path(),
                           "XDG_RUNTIME_DIR=" + run.path(), "WLR_BACKENDS=headless",
                           "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    m_sway.start(command.first(), command.mid(1));
    m_config = config;
    const auto found = [&run](const char *pattern) {
        const QStringList names = run.entryList({pattern}, QDir::System);
        return names.isEmpty() ? QString() : run.filePath(names.first());
    };
    QTRY_VERIFY2_WITH_TIMEOUT(!found("sway-ipc.*.sock").isEmpty() && !found("wayland-?").isEmpty(),
                              m_sway.readAll().right(600).constData(), 10000);
    m_socket = found("sway-ipc.*.sock");
    qputenv("SWAYSOCK", QFile::encodeName(m_socket));
    qputenv("WAYLAND_DISPLAY", QFile::encodeName(found("wayland-?")));
    QTRY_VERIFY_WITH_TIMEOUT(!grab().isNull(), 10000);
}

void TestSwayBackend::stopSway() {
    m_sway.terminate();
    if (!m_sway.waitForFinished(5000)) {
        m_sway.kill();
        m_sway.waitForFinished();
    }
    // What sway started and left to this process (the subreaper) goes too.
    for (const pid_t pid : descendants()) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    m_config.clear();
}

void TestSwayBackend::showsEveryChange_data() {
    QTest::addColumn<QString>("config");
    QTest::addColumn<bool>("throughSway");
    QTest::newRow("sway") << "own.conf" << true;
    // Another wlroots compositor: no background of its own, no sway IPC.
    QTest::newRow("swaybg") << "bare.conf" << false;
}

void TestSwayBackend::showsEveryChange() {
    QFETCH(QString, config);
    QFETCH(bool, throughSway);
    stopSway();
    startSway(config);
    QTRY_COMPARE(runningSwaybg(), throughSway ? 1 : 0);
    if (!throughSway)
        qputenv("SWAYSOCK", "");
    const QString first = picture("Rotafond.bmp", Red, Blue);
    const QString second = picture("Rotafond-2.bmp", Green, Yellow);
    {
        SwayBackend backend;
        for (const auto style :
             {WallpaperStyle::Tile, WallpaperStyle::Center, WallpaperStyle::Stretch})
            QCOMPARE(show(backend, first, style, Red, Blue), QString());
        // The same file name with new content, as every change rewrites it.
        picture("Rotafond.bmp", Green, Yellow);
        QCOMPARE(show(backend, first, WallpaperStyle::Stretch, Green, Yellow), QString());
        QCOMPARE(show(backend, second, WallpaperStyle::Tile, Green, Yellow), QString());
        QCOMPARE(show(backend, QString(), WallpaperStyle::Clear), QString());
        // One swaybg draws: sway's own was replaced, or the previous one of ours is gone.
        QTRY_COMPARE(runningSwaybg(), 1);
    }
    // Ours goes with the backend, sway's stays.
    QTRY_COMPARE(runningSwaybg(), throughSway ? 1 : 0);
    // Each run of the program has a backend of its own; none leaves a swaybg behind.
    if (throughSway) {
        QCOMPARE(show(SwayBackend(), first, WallpaperStyle::Tile, Green, Yellow), QString());
        QTRY_COMPARE(runningSwaybg(), 1);
    }
    qputenv("SWAYSOCK", QFile::encodeName(m_socket));
}

void TestSwayBackend::failuresAreReported_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("command substitution") << "pic $(touch hit).bmp" << QStringList() << "sway";
    QTest::newRow("command separator") << "pic;exec touch hit.bmp" << QStringList() << "sway";
    QTest::newRow("missing file") << "" << QStringList() << "cannot be read";
    QTest::newRow("no sway on the socket")
        << "Rotafond.bmp" << QStringList{"SWAYSOCK=/nowhere.sock"} << "swaymsg";
    QTest::newRow("no compositor for swaybg")
        << "Rotafond.bmp" << QStringList{"SWAYSOCK=", "WAYLAND_DISPLAY=wayland-nowhere"}
        << "swaybg";
}

void TestSwayBackend::failuresAreReported() {
    QFETCH(QString, name);
    QFETCH(QStringList, environment);
    QFETCH(QString, mentions);
    startSway("bare.conf");
    const QString shown = picture("shown.bmp", Red, Blue);
    QCOMPARE(show(SwayBackend(), shown, WallpaperStyle::Stretch, Red, Blue), QString());
    const QString path = name.isEmpty() ? m_dir.filePath("gone.bmp") : picture(name, Green, Yellow);
    const QProcessEnvironment saved = QProcessEnvironment::systemEnvironment();
    for (const QString &setting : environment)
        qputenv(qPrintable(setting.section('=', 0, 0)), setting.section('=', 1).toUtf8());
    const ApplyResult result = SwayBackend().apply(path, QImage(), WallpaperStyle::Tile);
    for (const QString &setting : environment)
        qputenv(qPrintable(setting.section('=', 0, 0)),
                saved.value(setting.section('=', 0, 0)).toUtf8());
    QVERIFY2(!result.ok && result.error.contains(mentions), qPrintable(result.error));
    QTest::qWait(300);
    QCOMPARE(waitUntilShown("stretch", Red, Blue), QString());
    for (const QString &folder : {m_dir.path(), m_dir.filePath("run"), QDir::currentPath()})
        QVERIFY(!QFile::exists(folder + "/hit"));
}

void TestSwayBackend::twoOutputs_eachShowsItsOwnComposition() {
    startSway("bare.conf");
    for (const char *command : {"create_output", "output HEADLESS-2 mode 800x600 position 1280 0"})
        QCOMPARE(QProcess::execute("swaymsg", {command}), 0);
    QTRY_COMPARE(grab("HEADLESS-2").size(), QSize(800, 600));
    // Proportional: 1280x640 on the first output, 800x400 on the second.
    WallpaperFiles files(m_dir.filePath("files"));
    SwayBackend backend;
    const std::atomic_bool notCancelled = false;
    const ChangeRequest request{{{picture("wide.bmp", Red, Blue), true, true, false}},
                                0,
                                0,
                                true,
                                {{"HEADLESS-1", QRect(0, 0, 1280, 720)}}};
    QCOMPARE(runChange(request, files, backend, notCancelled).outcome, ChangeOutcome::Shown);
    for (const char *output : {"HEADLESS-1", "HEADLESS-2"})
        QCOMPARE(waitUntilShown("proportional", Red, Blue, output), QString());
    stopSway();
}

QTEST_GUILESS_MAIN(TestSwayBackend)
#include "tst_swaybackend.moc"
