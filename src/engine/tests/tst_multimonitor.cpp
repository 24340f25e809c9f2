// Runs on the two-monitor X server of scripts/with-two-monitors.sh (DUMMY0,
// 1280x1024 at the left, DUMMY1, 1920x1080 to its right and 56 pixels lower), also with
// QT_SCALE_FACTOR=2: every monitor shows its own composition of the entry, at
// physical pixels, and a changed layout is drawn again at once.
#include "changecycle.h"
#include "changejob.h"
#include "desktops/gsettingsbackend.h"
#include "desktops/x11rootbackend.h"
#include "desktops/xfcebackend.h"
#include "expecteddesktop.h"
#include "picture.h"
#include "privatesettings.h"
#include "quiethost.h"
#include "screenshot.h"
#include "settingsstore.h"
#include "testimages.h"
#include "wallpaperfiles.h"
#include "wallpaperlist.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QList<Monitor> TwoMonitors{{QStringLiteral("DUMMY0"), QRect(0, 0, 1280, 1024)},
                                 {QStringLiteral("DUMMY1"), QRect(1280, 56, 1920, 1080)}};

// What a program prints, trimmed, and unquoted when quoted (the test's paths need no escapes).
QString output(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    const QString printed = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return printed.startsWith(QLatin1Char('\'')) ? printed.mid(1, printed.size() - 2) : printed;
}

const GSettingsDesktopBackend::Keys *gsettingsKeys(const QString &desktop) {
    for (const auto *keys : {&GSettingsDesktopBackend::Gnome, &GSettingsDesktopBackend::Cinnamon,
                             &GSettingsDesktopBackend::Mate})
        if (desktop == QLatin1String(keys->desktop))
            return keys;
    return nullptr;
}

// What the desktop shows: the root window, or for desktops that keep their
// pictures in their settings, the one spanned picture or each monitor's own.
QImage shownBy(const QString &desktop) {
    if (desktop == QLatin1String("Xfce")) {
        QImage shown(desktopSize(TwoMonitors), QImage::Format_RGB32);
        shown.fill(Qt::black);
        QPainter painter(&shown);
        for (const Monitor &monitor : TwoMonitors) {
            const QString property = "/backdrop/screen0/monitor" + monitor.name + "/workspace0/";
            const auto value = [&](const char *key) {
                return output("xfconf-query", {"-c", "xfce4-desktop", "-p", property + key});
            };
            const QImage own(value("last-image"));
            // Stretched, and made to fill the monitor exactly.
            if (value("image-style") == QLatin1String("3") && own.size() == monitor.rect.size())
                painter.drawImage(monitor.rect.topLeft(), own);
        }
        return shown;
    }
    if (const auto *keys = gsettingsKeys(desktop)) {
        if (output("gsettings", {"get", keys->schema, keys->optionsKey}) != "spanned")
            return {};
        const QString picture = output("gsettings", {"get", keys->schema, keys->pictureKey});
        return QImage(keys->pictureIsUri ? QUrl(picture).toLocalFile() : picture);
    }
    return screenshot().copy(QRect(QPoint(0, 0), desktopSize(TwoMonitors)));
}

std::unique_ptr<DesktopBackend> backendFor(const QString &desktop) {
    if (desktop == QLatin1String("Xfce"))
        return std::make_unique<XfceBackend>(QStringList{"DUMMY0"});
    if (const auto *keys = gsettingsKeys(desktop))
        return std::make_unique<GSettingsDesktopBackend>(*keys);
    return std::make_unique<X11RootBackend>();
}

} // namespace

class TestMultiMonitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        Picture::setUpDecoding();
        // GSettings, and xfconfd started by the same private bus on a profile of the test's own.
        m_settingsMissing = m_settings.start();
        if (QGuiApplication::platformName() != QLatin1String("xcb") ||
            QGuiApplication::screens().size() != 2)
            QSKIP("needs the two-monitor X server of scripts/with-two-monitors.sh");
        // Monitors are reported in physical pixels, whatever the scale.
        QCOMPARE(currentMonitors(), TwoMonitors);
        QCOMPARE(desktopSize(currentMonitors()), QSize(3200, 1136));
        m_picture = m_dir.filePath(QStringLiteral("picture.png"));
        QVERIFY(gradientPicture(QSize(1601, 1203)).save(m_picture));
    }

    void desktop_showsEveryMonitorItsOwnPicture_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<WallpaperEntry>("entry");
        QTest::addRow("root, tiled") << "root" << WallpaperEntry{{}, false, false, true};
        QTest::addRow("root, proportional") << "root" << WallpaperEntry{{}, true, true, false};
        // Desktops that span one picture over the monitors, or set each on its own.
        for (const char *desktop : {"GNOME", "Cinnamon", "MATE", "Xfce"})
            QTest::addRow("%s, proportional", desktop)
                << desktop << WallpaperEntry{{}, true, true, false};
    }
    void desktop_showsEveryMonitorItsOwnPicture() {
        QFETCH(QString, desktop);
        QFETCH(WallpaperEntry, entry);
        if (desktop != QLatin1String("root") && !m_settingsMissing.isEmpty())
            QSKIP(qPrintable(m_settingsMissing));
        if (desktop == QLatin1String("Xfce") &&
            QStandardPaths::findExecutable("xfconf-query").isEmpty())
            QSKIP("needs xfconf");
        entry.filePath = m_picture;
        WallpaperFiles files(m_dir.filePath(desktop));
        const std::unique_ptr<DesktopBackend> backend = backendFor(desktop);
        const std::atomic_bool notCancelled = false;
        const ChangeResult result =
            runChange({{entry}, 0, 0, true, currentMonitors()}, files, *backend, notCancelled);
        QCOMPARE(result.outcome, ChangeOutcome::Shown);

        const QImage shown = shownBy(desktop);
        const int worst = worstDifference(shown, expectedDesktop(entry, TwoMonitors));
        QVERIFY2(worst <= 4, qPrintable(QStringLiteral("differs by %1").arg(worst)));
        // Nothing is drawn where no monitor shows it.
        QCOMPARE(shown.pixel(1279, 1100), qRgb(0, 0, 0));
        QCOMPARE(shown.pixel(2000, 20), qRgb(0, 0, 0));
        // "Rotafond.bmp" is composed for the primary monitor, at its physical size.
        const QSize natural(1601, 1203);
        QCOMPARE(QImageReader(files.bitmapPath()).size(),
                 entry.resize && entry.proportional ? proportionalSize(natural, QSize(1280, 1024))
                                                    : natural);
    }

    void layoutChange_drawsTheShownEntryAgain() {
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
        QCOMPARE(QProcess::execute("xrandr", {"--fb", "3200x1136", "--output", "DUMMY1", "--off"}),
                 0);
        const auto restore = qScopeGuard([] {
            QProcess::execute("xrandr",
                              {"--output", "DUMMY1", "--mode", "1920x1080", "--pos", "1280x56"});
        });
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.last().at(0).value<ChangeCycle::Outcome>(), ChangeCycle::Outcome::Shown);
        const QList<Monitor> leftOnly{TwoMonitors.first()};
        const QImage shown = screenshot();
        QVERIFY(worstDifference(shown.copy(0, 0, 1280, 1024),
                                expectedDesktop(list.at(0), leftOnly)) <= 4);
        QCOMPARE(shown.pixel(2000, 500), qRgb(0, 0, 0));
    }

private:
    PrivateSettings m_settings;
    QString m_settingsMissing;
    QTemporaryDir m_dir;
    QString m_picture;
};

QTEST_MAIN(TestMultiMonitor)
#include "tst_multimonitor.moc"
