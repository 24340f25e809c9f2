#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gio/gio.h>

#include <csignal>
#include <unistd.h>

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
        if (GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
            // GIO ends the process when its session bus goes away: not this time.
            g_dbus_connection_set_exit_on_close(bus, FALSE);
            // What this bus started for this test (dconf-service, xfconfd, ...) goes too.
            for (const pid_t pid : servicesOf(bus))
                ::kill(pid, SIGTERM);
            g_object_unref(bus);
        }
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }

private:
    static GVariant *askBus(GDBusConnection *bus, const char *method, GVariant *arguments,
                            const char *replyType) {
        return g_dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
            arguments, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    }

    // The processes that own a well-known name on the bus, this one aside.
    static QList<pid_t> servicesOf(GDBusConnection *bus) {
        QList<pid_t> pids;
        GVariant *names = askBus(bus, "ListNames", nullptr, "(as)");
        if (!names)
            return pids;
        GVariantIter *iterator = nullptr;
        const gchar *name = nullptr;
        g_variant_get(names, "(as)", &iterator);
        while (g_variant_iter_next(iterator, "&s", &name)) {
            if (name[0] == ':' || qstrcmp(name, "org.freedesktop.DBus") == 0)
                continue;
            if (GVariant *pid =
                    askBus(bus, "GetConnectionUnixProcessID", g_variant_new("(s)", name), "(u)")) {
                guint32 value = 0;
                g_variant_get(pid, "(u)", &value);
                if (pid_t(value) != ::getpid() && !pids.contains(pid_t(value)))
                    pids.append(pid_t(value));
                g_variant_unref(pid);
            }
        }
        g_variant_iter_free(iterator);
        g_variant_unref(names);
        return pids;
    }

    QTemporaryDir m_dir;
    QProcess m_bus;
};
