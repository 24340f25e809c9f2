#include "changejob.h"
#include "desktops/swaybackend.h"
#include "privatesettings.h"
#include "screencheck.h"
#include "wallpaperfiles.h"

#include <QTest>

#include <optional>

#include <pwd.h>
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

// Applies with backend, or clears without a style, and waits: empty when
// shown, else why not.
QString show(auto &&backend, const QString &path, std::optional<WallpaperStyle> style,
             const QColor &left = {}, const QColor &right = {}) {
    const Result<void> result = style ? backend.apply(path, QImage(), *style) : backend.clear();
    return result ? waitUntilShown(style ? styleWord(*style) : QStringLiteral("clear"), left, right)
                  : result.error();
}

int runningSwaybg() {
    int running = 0;
    for (const pid_t pid : descendantsOf(::getpid())) {
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
    void startSway(const QByteArray &config = {});
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
    QByteArray m_config;
    QByteArray m_socket;
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
}

// config: what it adds to a bare configuration.
void TestSwayBackend::startSway(const QByteArray &config) {
    if (m_sway.state() != QProcess::NotRunning && m_config == config)
        return;
    stopSway();
    QFile file(m_dir.filePath("sway.conf"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("xwayland disable\n" + config) > 0);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    QDir run(m_dir.filePath("run"));
    QVERIFY(run.removeRecursively() && run.mkpath("."));
    QVERIFY(
        QFile(run.path()).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QStringList command{"sway", "-c", file.fileName()};
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
        return names.isEmpty() ? QByteArray() : QFile::encodeName(run.filePath(names.first()));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(!found("sway-ipc.*.sock").isEmpty() && !found("wayland-?").isEmpty(),
                              m_sway.readAll().right(600).constData(), 10000);
    qputenv("SWAYSOCK", m_socket = found("sway-ipc.*.sock"));
    qputenv("WAYLAND_DISPLAY", found("wayland-?"));
    QTRY_VERIFY_WITH_TIMEOUT(!grab().isNull(), 10000);
}

void TestSwayBackend::stopSway() {
    m_sway.terminate();
    if (!m_sway.waitForFinished(5000)) {
        m_sway.kill();
        m_sway.waitForFinished();
    }
    // What sway started and left to this process (the subreaper) goes too.
    for (const pid_t pid : descendantsOf(::getpid())) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    m_config.clear();
}

void TestSwayBackend::showsEveryChange_data() {
    QTest::addColumn<bool>("throughSway");
    QTest::newRow("sway") << true;
    // Another wlroots compositor: no background of its own, no sway IPC.
    QTest::newRow("swaybg") << false;
}

void TestSwayBackend::showsEveryChange() {
    QFETCH(bool, throughSway);
    stopSway();
    // Like Debian's configuration, sway runs a swaybg for a picture of its own.
    startSway(throughSway
                  ? "output * bg " + QFile::encodeName(picture("own.bmp", Green, Green)) + " fill"
                  : "");
    QTRY_COMPARE(runningSwaybg(), throughSway ? 1 : 0);
    qputenv("SWAYSOCK", throughSway ? m_socket : QByteArray());
    const QString first = picture("Rotafond.bmp", Red, Blue);
    {
        SwayBackend backend;
        for (const auto style :
             {WallpaperStyle::Tile, WallpaperStyle::Center, WallpaperStyle::Stretch})
            QCOMPARE(show(backend, first, style, Red, Blue), QString());
        // The same file name with new content, as every change rewrites it.
        picture("Rotafond.bmp", Green, Yellow);
        QCOMPARE(show(backend, first, WallpaperStyle::Stretch, Green, Yellow), QString());
        QCOMPARE(
            show(backend, picture("Rotafond-2.bmp", Red, Blue), WallpaperStyle::Tile, Red, Blue),
            QString());
        QCOMPARE(show(backend, QString(), std::nullopt), QString());
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
    qputenv("SWAYSOCK", m_socket);
}

void TestSwayBackend::failuresAreReported_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<QByteArrayList>>("environment"); // name, value
    QTest::addColumn<QString>("mentions");
    const QList<QByteArrayList> none;
    QTest::newRow("command substitution and separator")
        << "pic $(touch hit);exec touch hit.bmp" << none << "sway";
    QTest::newRow("missing file") << "" << none << "cannot be read";
    QTest::newRow("no sway on the socket")
        << "Rotafond.bmp" << QList<QByteArrayList>{{"SWAYSOCK", "/nowhere.sock"}} << "swaymsg";
    QTest::newRow("no compositor for swaybg")
        << "Rotafond.bmp"
        << QList<QByteArrayList>{{"SWAYSOCK", ""}, {"WAYLAND_DISPLAY", "wayland-nowhere"}}
        << "swaybg";
}

void TestSwayBackend::failuresAreReported() {
    QFETCH(QString, name);
    QFETCH(QList<QByteArrayList>, environment);
    QFETCH(QString, mentions);
    startSway();
    const QString shown = picture("shown.bmp", Red, Blue);
    QCOMPARE(show(SwayBackend(), shown, WallpaperStyle::Stretch, Red, Blue), QString());
    const QString path = name.isEmpty() ? m_dir.filePath("gone.bmp") : picture(name, Green, Yellow);
    for (QByteArrayList &setting : environment)
        qputenv(setting.at(0), std::exchange(setting[1], qgetenv(setting.at(0))));
    const Result<void> result = SwayBackend().apply(path, QImage(), WallpaperStyle::Tile);
    for (const QByteArrayList &setting : environment)
        qputenv(setting.at(0), setting.at(1));
    QVERIFY2(!result && result.error().contains(mentions), qPrintable(result.error()));
    QTest::qWait(300);
    QCOMPARE(waitUntilShown("stretch", Red, Blue), QString());
    for (const QString &folder : {m_dir.path(), m_dir.filePath("run"), QDir::currentPath()})
        QVERIFY(!QFile::exists(folder + "/hit"));
}

void TestSwayBackend::twoOutputs_eachShowsItsOwnComposition() {
    startSway();
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
}

QTEST_GUILESS_MAIN(TestSwayBackend)
#include "tst_swaybackend.moc"
