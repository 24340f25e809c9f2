// Runs on the two-monitor X server of scripts/with-two-monitors.sh (DUMMY0,
// 1280x1024 at the left, DUMMY1, 1920x1080 to its right and 56 pixels lower), also with
// QT_SCALE_FACTOR=2: every monitor shows its own composition of the entry, at
// physical pixels, and a changed layout is drawn again at once.
#include "changecycle.h"
#include "changejob.h"
#include "desktoppicture.h"
#include "desktops/gsettingsbackend.h"
#include "desktops/x11rootbackend.h"
#include "desktops/xfcebackend.h"
#include "drawing.h"
#include "picture.h"
#include "quiethost.h"
#include "privatesettings.h"
#include "screenrender.h"
#include "screenshot.h"
#include "settingsstore.h"
#include "testimages.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QList<Monitor> TwoMonitors{{QStringLiteral("DUMMY0"), QRect(0, 0, 1280, 1024)},
                                 {QStringLiteral("DUMMY1"), QRect(1280, 56, 1920, 1080)}};

int worstDifference(const QImage &a, const QImage &b) {
    int worst = a.size() == b.size() ? 0 : 255;
    for (int y = 0; worst < 255 && y < a.height(); y += 3)
        for (int x = 0; x < a.width(); x += 3) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// A key as gsettings prints it, unquoted (the test's paths need no escapes).
QString gsettingsValue(const char *schema, const char *key) {
    QProcess gsettings;
    gsettings.start(QStringLiteral("gsettings"),
                    {QStringLiteral("get"), QLatin1String(schema), QLatin1String(key)});
    gsettings.waitForFinished();
    const QString printed = QString::fromUtf8(gsettings.readAllStandardOutput()).trimmed();
    return printed.size() >= 2 ? printed.mid(1, printed.size() - 2) : printed;
}

bool xrandr(const QStringList &arguments) {
    return QProcess::execute(QStringLiteral("xrandr"), arguments) == 0;
}

} // namespace

class TestMultiMonitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void monitors_areReportedInPhysicalPixels();
    void root_showsEveryMonitorItsOwnPicture_data();
    void root_showsEveryMonitorItsOwnPicture();
    void layoutChange_drawsTheShownEntryAgain();
    void gsettings_spansOnePictureOverTheMonitors_data();
    void gsettings_spansOnePictureOverTheMonitors();
    void xfce_givesEveryMonitorItsOwnPicture();

private:
    QProcess *startProgram(const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment);

    // What the two monitors show of the entry, black where none shows anything.
    QImage expectedDesktop(const WallpaperEntry &entry) const;

    PrivateSettings m_settings;
    std::vector<std::unique_ptr<QProcess>> m_programs; // stopped in reverse order
    QString m_settingsMissing;
    QTemporaryDir m_dir;
    QString m_picture;
};

void TestMultiMonitor::initTestCase() {
    Picture::setUpDecoding();
    m_settingsMissing = m_settings.start();
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        QGuiApplication::screens().size() != 2)
        QSKIP("needs the two-monitor X server of scripts/with-two-monitors.sh");
    m_picture = m_dir.filePath(QStringLiteral("picture.png"));
    QVERIFY(gradientPicture(QSize(1601, 1203)).save(m_picture));
}

void TestMultiMonitor::monitors_areReportedInPhysicalPixels() {
    QCOMPARE(currentMonitors(), TwoMonitors);
    QCOMPARE(desktopSize(currentMonitors()), QSize(3200, 1136));
}

void TestMultiMonitor::root_showsEveryMonitorItsOwnPicture_data() {
    QTest::addColumn<bool>("resize");
    QTest::addColumn<bool>("proportional");
    QTest::addColumn<bool>("tiled");
    QTest::addRow("centred") << false << false << false;
    QTest::addRow("tiled") << false << false << true;
    QTest::addRow("stretched") << true << false << false;
    QTest::addRow("proportional") << true << true << false;
    QTest::addRow("proportional tiled") << true << true << true;
}

void TestMultiMonitor::root_showsEveryMonitorItsOwnPicture() {
    QFETCH(bool, resize);
    QFETCH(bool, proportional);
    QFETCH(bool, tiled);
    const WallpaperEntry entry{m_picture, resize, proportional, tiled};
    WallpaperFiles files(m_dir.filePath(QStringLiteral("data")));
    X11RootBackend desktop;
    const std::atomic_bool notCancelled = false;
    const ChangeResult result =
        runChange({{entry}, 0, 0, true, currentMonitors()}, files, desktop, notCancelled);
    QCOMPARE(result.outcome, ChangeOutcome::Shown);

    const QImage shown = screenshot().copy(QRect(QPoint(0, 0), desktopSize(TwoMonitors)));
    const int worst = worstDifference(shown, expectedDesktop(entry));
    QVERIFY2(worst <= 4, qPrintable(QStringLiteral("differs by %1").arg(worst)));
    // Nothing is drawn where no monitor shows it.
    QCOMPARE(shown.pixel(1279, 1100), qRgb(0, 0, 0));
    QCOMPARE(shown.pixel(2000, 20), qRgb(0, 0, 0));
    // "Rotafond.bmp" is composed for the primary monitor, at its physical size.
    const QSize bitmap = QImageReader(files.bitmapPath()).size();
    const QSize natural = QImageReader(m_picture).size();
    QCOMPARE(bitmap,
             resize && proportional ? proportionalSize(natural, QSize(1280, 1024)) : natural);
}

QImage TestMultiMonitor::expectedDesktop(const WallpaperEntry &entry) const {
    const QImage whole = QImageReader(m_picture).read();
    const WallpaperStyle style = compositionFor(entry).style;
    QImage desktop(desktopSize(TwoMonitors), QImage::Format_RGB32);
    desktop.fill(Qt::black);
    QPainter painter(&desktop);
    for (const Monitor &monitor : TwoMonitors) {
        const QSize screen = monitor.rect.size();
        const bool composes = entry.resize && entry.proportional;
        painter.drawImage(
            monitor.rect.topLeft(),
            renderScreen(composes ? composeProportional(whole, screen) : whole, screen, style));
    }
    return desktop;
}

void TestMultiMonitor::layoutChange_drawsTheShownEntryAgain() {
    SettingsStore settings(m_dir.filePath(QStringLiteral("Rotafond.conf")), {});
    WallpaperList list;
    list.reset({{m_picture, true, false, false}});
    WallpaperFiles files(m_dir.filePath(QStringLiteral("data")));
    X11RootBackend desktop;
    QuietHost host;
    ChangeCycle cycle(list, settings, files, desktop, host, currentMonitors());
    MonitorWatcher watcher;
    connect(&watcher, &MonitorWatcher::monitorsChanged, &cycle, &ChangeCycle::setMonitors);
    QSignalSpy finished(&cycle, &ChangeCycle::changeFinished);
    int counter = 0;
    cycle.setNextWallpaper(counter);
    QVERIFY(finished.wait(20000));

    // The right monitor is switched off: only the left one shows the picture.
    QVERIFY(xrandr({"--fb", "3200x1136", "--output", "DUMMY1", "--off"}));
    const auto restore = qScopeGuard([] {
        xrandr({"--output", "DUMMY1", "--mode", "1920x1080", "--pos", "1280x56"});
    });
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.last().at(0).value<ChangeCycle::Outcome>(), ChangeCycle::Outcome::Shown);
    const QImage shown = screenshot();
    const QImage whole = QImageReader(m_picture).read();
    QVERIFY(worstDifference(shown.copy(0, 0, 1280, 1024),
                            renderScreen(whole, QSize(1280, 1024), WallpaperStyle::Stretch)) <= 4);
    QCOMPARE(shown.pixel(2000, 500), qRgb(0, 0, 0));
}

void TestMultiMonitor::gsettings_spansOnePictureOverTheMonitors_data() {
    QTest::addColumn<const GSettingsDesktopBackend::Keys *>("keys");
    QTest::newRow("GNOME") << &GSettingsDesktopBackend::Gnome;
    QTest::newRow("Cinnamon") << &GSettingsDesktopBackend::Cinnamon;
    QTest::newRow("MATE") << &GSettingsDesktopBackend::Mate;
}

void TestMultiMonitor::gsettings_spansOnePictureOverTheMonitors() {
    QFETCH(const GSettingsDesktopBackend::Keys *, keys);
    if (!m_settingsMissing.isEmpty())
        QSKIP(qPrintable(m_settingsMissing));
    const WallpaperEntry entry{m_picture, true, true, false};
    WallpaperFiles files(m_dir.filePath(QStringLiteral("data")));
    GSettingsDesktopBackend desktop(*keys);
    const std::atomic_bool notCancelled = false;
    const ChangeResult result =
        runChange({{entry}, 0, 0, true, TwoMonitors}, files, desktop, notCancelled);
    QCOMPARE(result.outcome, ChangeOutcome::Shown);
    QCOMPARE(gsettingsValue(keys->schema, keys->optionsKey), QStringLiteral("spanned"));
    const QString picture = gsettingsValue(keys->schema, keys->pictureKey);
    const QString path = keys->pictureIsUri ? QUrl(picture).toLocalFile() : picture;
    const int worst = worstDifference(QImage(path), expectedDesktop(entry));
    QVERIFY2(worst <= 4, qPrintable(QStringLiteral("differs by %1").arg(worst)));
}

QProcess *TestMultiMonitor::startProgram(const QString &program, const QStringList &arguments,
                                         const QProcessEnvironment &environment) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments);
    if (!process->waitForStarted())
        return nullptr;
    m_programs.push_back(std::move(process));
    return m_programs.back().get();
}

void TestMultiMonitor::xfce_givesEveryMonitorItsOwnPicture() {
    const QString xfconfd =
        QSettings("/usr/share/dbus-1/services/org.xfce.Xfconf.service", QSettings::IniFormat)
            .value("D-BUS Service/Exec")
            .toString();
    if (!QFile::exists(xfconfd))
        QSKIP("needs xfconf");
    const auto stopAll = qScopeGuard([this] {
        while (!m_programs.empty()) {
            m_programs.back()->terminate();
            if (!m_programs.back()->waitForFinished(3000))
                m_programs.back()->kill();
            m_programs.back()->waitForFinished();
            m_programs.pop_back();
        }
    });
    // A bus and an xfconfd of this test's own, on a profile of its own.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", m_dir.path());
    environment.insert("XDG_CONFIG_HOME", m_dir.filePath("xfce-config"));
    environment.insert("XDG_CACHE_HOME", m_dir.filePath("xfce-cache"));
    environment.insert("NO_AT_BRIDGE", "1");
    QProcess *bus =
        startProgram("dbus-daemon", {"--session", "--nofork", "--print-address=1"}, environment);
    QVERIFY(bus && bus->waitForReadyRead(5000));
    const QByteArray address = bus->readLine().trimmed();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(address));
    const QByteArray sharedBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", address); // for the backend's xfconf-query
    const auto restoreBus =
        qScopeGuard([sharedBus] { qputenv("DBUS_SESSION_BUS_ADDRESS", sharedBus); });
    QVERIFY(startProgram(xfconfd, {}, environment));

    const WallpaperEntry entry{m_picture, true, true, false};
    WallpaperFiles files(m_dir.filePath(QStringLiteral("xfce-data")));
    XfceBackend desktop({QStringLiteral("DUMMY0")});
    const std::atomic_bool notCancelled = false;
    const ChangeResult result =
        runChange({{entry}, 0, 0, true, TwoMonitors}, files, desktop, notCancelled);
    QCOMPARE(result.outcome, ChangeOutcome::Shown);
    // What xfdesktop reads for each monitor: a picture that fills it exactly.
    const QImage expected = expectedDesktop(entry);
    const auto property = [](const QString &monitor, const char *key) {
        QProcess query;
        query.start(
            "xfconf-query",
            {"-c", "xfce4-desktop", "-p",
             QStringLiteral("/backdrop/screen0/monitor%1/workspace0/%2").arg(monitor, key)});
        query.waitForFinished();
        return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    };
    for (const Monitor &monitor : TwoMonitors) {
        QCOMPARE(property(monitor.name, "image-style"), QStringLiteral("3"));
        const QImage own(property(monitor.name, "last-image"));
        QVERIFY2(worstDifference(own, expected.copy(monitor.rect)) <= 4, qPrintable(monitor.name));
    }
}

QTEST_MAIN(TestMultiMonitor)
#include "tst_multimonitor.moc"
