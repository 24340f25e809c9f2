#pragma once

// What every end-to-end test shares: a fresh private home for each test
// function, the copies of the program it started (ended after it) and the
// stored list it reads back.

#include "desktopdriver.h"
#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QImage>
#include <QStandardPaths>

class DesktopTest : public QObject {
    Q_OBJECT

protected:
    // Programs the test needs besides the X display; "session bus" for a D-Bus session.
    explicit DesktopTest(QStringList needs = {})
        : m_needs(std::move(needs)) {}

    DesktopDriver &desktop() { return *m_desktop; }

    // Starts the program without the environment variables named in unset.
    QProcess *start(const QStringList &arguments = {}, const QStringList &unset = {}) {
        QProcess *process = m_processes.emplace_back(m_desktop->program(arguments)).get();
        QProcessEnvironment environment = process->processEnvironment();
        for (const QString &name : unset)
            environment.remove(name);
        process->setProcessEnvironment(environment);
        process->start();
        return process;
    }

    // One tiled, unscaled picture per colour, stored as the list.
    QList<WallpaperEntry> storeColours(const QList<QColor> &colours) {
        QList<WallpaperEntry> entries;
        for (const QColor &colour : colours) {
            QImage image(30, 20, QImage::Format_RGB32);
            image.fill(colour);
            entries.append({m_desktop->path(colour.name() + ".png"), false, false, true});
            image.save(entries.last().filePath);
        }
        SettingsStore settings(m_desktop->configFile(), {});
        WallpaperListStore(settings).save(entries);
        return entries;
    }

    QList<WallpaperEntry> storedList() const {
        SettingsStore settings(m_desktop->configFile(), {});
        return WallpaperListStore(settings).load();
    }

    int stored(const IntKey &key) const {
        return SettingsStore(m_desktop->configFile(), {}).read(key);
    }

    // The program's tray icon once it shows, or nothing.
    static QString waitForTray(QProcess *process, int timeoutMs = 15000) {
        QDeadlineTimer deadline(timeoutMs);
        QString icon;
        if (!process->waitForStarted())
            return icon;
        while ((icon = DesktopDriver::trayIcon(process->processId())).isEmpty() &&
               !deadline.hasExpired())
            QTest::qWait(100);
        return icon;
    }

    // Double-clicks the tray icon until the main window shows; the window, or nothing.
    static QString restoreFromTray(const QString &icon, qint64 pid) {
        if (!DesktopDriver::retry(
                [&] { DesktopDriver::clickWindow(icon, 1, 2); },
                [&] { return !DesktopDriver::windows("^Rotafond$", pid).isEmpty(); }))
            return {};
        return DesktopDriver::waitForWindow("^Rotafond$", pid);
    }

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X display: run through test.sh");
        for (const QString &need : m_needs) {
            if (need == QLatin1String("session bus")
                    ? qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
                    : QStandardPaths::findExecutable(need).isEmpty())
                QSKIP(qPrintable(need + " is not available: run through test.sh"));
        }
    }

    void init() { m_desktop = std::make_unique<DesktopDriver>(); }

    void cleanup() {
        for (auto &process : m_processes) {
            process->kill();
            process->waitForFinished();
        }
        m_processes.clear();
    }

private:
    QStringList m_needs;
    std::unique_ptr<DesktopDriver> m_desktop;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
