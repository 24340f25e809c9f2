#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gio/gio.h>

#include <csignal>

// Every process below pid: what it started, and what they started.
inline QList<pid_t> descendantsOf(pid_t pid) {
    QList<pid_t> found{pid};
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

// Real GSettings on dconf, kept away from the user's own settings: a D-Bus
// session bus of the test's own whose dconf-service (started by that bus, so
// inheriting its folders) keeps its database in a temporary folder. Set up
// before GIO is first used in the process.
class PrivateSettings {
public:
    // Returns why the settings cannot be had here, or nothing.
    QString start() {
        for (const char *program : {"dbus-daemon", "gsettings"})
            if (QStandardPaths::findExecutable(program).isEmpty())
                return QStringLiteral("%1 is not installed").arg(program);
        if (!QFile::exists("/usr/libexec/dconf-service"))
            return QStringLiteral("dconf-service is not installed");
        const QString runtime = m_dir.filePath("run");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        qputenv("GSETTINGS_BACKEND", "dconf");
        qunsetenv("GSETTINGS_SCHEMA_DIR");
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!m_bus.waitForReadyRead(5000))
            return QStringLiteral("dbus-daemon did not start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        return {};
    }

    ~PrivateSettings() {
        if (m_bus.state() == QProcess::NotRunning)
            return;
        // GIO ends the process when its session bus goes away: not this time.
        if (GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
            g_dbus_connection_set_exit_on_close(bus, FALSE);
            g_object_unref(bus);
        }
        // What the bus started for the test (dconf-service, xfconfd, ...) goes too.
        for (const pid_t pid : descendantsOf(pid_t(m_bus.processId())))
            ::kill(pid, SIGTERM);
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_bus;
};
