#pragma once

// What every end-to-end test shares: a fresh private home for each test
// function, the copies of the program it started (ended after it), the stored
// list and the program's remote control.

#include "desktopdriver.h"
#include "settingsstore.h"
#include "wallpaperliststore.h"

#include <QImage>
#include <QStandardPaths>

class DesktopTest : public QObject, protected DesktopDriver {
    Q_OBJECT

protected:
    // Programs the test needs besides the display and the session bus.
    explicit DesktopTest(QStringList needs = {})
        : m_needs(std::move(needs)) {}

    QProcess *start(const QStringList &arguments = {}, const QStringList &unset = {},
                    QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel) {
        QProcess *process = m_processes.emplace_back(program(arguments, unset)).get();
        process->setProcessChannelMode(channels);
        process->start();
        return process;
    }

    // Runs the program with one option to its end; its exit code, what it printed in *errors.
    int runOption(const QString &option, const QStringList &unset = {},
                  QByteArray *errors = nullptr) {
        QProcess *command = start({option}, unset, QProcess::SeparateChannels);
        if (!command->waitForFinished(15000))
            return -1;
        if (errors)
            *errors = command->readAllStandardError();
        return command->exitCode();
    }

    // The program's tray icon once it shows, or nothing.
    static QString waitForTray(QProcess *process, int timeoutMs = 15000) {
        QString icon;
        if (process->waitForStarted())
            waitFor([&] { return !(icon = trayIcon(process->processId())).isEmpty(); }, timeoutMs);
        return icon;
    }

    // A method of the running copy on the session bus (".Next": its own); its answer.
    static QString callBus(const QString &method, const QStringList &arguments = {}) {
        const QString service = QStringLiteral(ROTAFOND_APP_ID);
        return output("gdbus", QStringList{"call", "--session", "--dest", service, "--object-path",
                                           "/" + QString(service).replace('.', '/'), "--method",
                                           method.startsWith('.') ? service + method : method} +
                                   arguments)
            .trimmed();
    }
    static QString busProperty(const QString &name) {
        return callBus("org.freedesktop.DBus.Properties.Get", {ROTAFOND_APP_ID, name});
    }

    // One tiled, unscaled picture per colour, stored as the list.
    QList<WallpaperEntry> storeColours(const QList<QColor> &colours) {
        QList<WallpaperEntry> entries;
        for (const QColor &colour : colours) {
            QImage image(30, 20, QImage::Format_RGB32);
            image.fill(colour);
            entries.append({path(colour.name() + ".png"), false, false, true});
            image.save(entries.last().filePath);
        }
        SettingsStore settings(configFile(), {});
        WallpaperListStore(settings).save(entries);
        return entries;
    }

    QList<WallpaperEntry> storedList() const {
        SettingsStore settings(configFile(), {});
        return WallpaperListStore(settings).load();
    }

    int stored(const IntKey &key) const { return SettingsStore(configFile(), {}).read(key); }

    static QByteArray contents(const QString &file) {
        QFile opened(file);
        return opened.open(QIODevice::ReadOnly) ? opened.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY") ||
            qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("needs the test desktop's display and session bus: run through test.sh");
        for (const QString &need : m_needs)
            if (QStandardPaths::findExecutable(need).isEmpty())
                QSKIP(qPrintable(need + " is not available: run through test.sh"));
    }

    void init() { newHome(); }

    void cleanup() {
        for (auto &process : m_processes) {
            process->kill();
            process->waitForFinished();
        }
        m_processes.clear();
    }

private:
    QStringList m_needs;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
