#pragma once

// Drives the real program on a real X display the way a user would: starts it
// in a private home, finds its windows by title and presses keys in them.

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <xcb/xcb.h>

#include <cstdlib>

class DesktopDriver {
public:
    DesktopDriver() {
        for (const char *folder : {"config", "data", "cache", "run"})
            QDir(m_home.path()).mkpath(QLatin1String(folder));
        QFile::setPermissions(path("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
    }

    QString path(const QString &relative) const { return m_home.filePath(relative); }
    QString configFile() const { return path("config/Rotafond/Rotafond.conf"); }
    // Runs another build of the program (an installed one) from now on.
    void useBinary(const QString &binary) { m_binary = binary; }

    // A process of the program with this driver's home, not yet started.
    std::unique_ptr<QProcess> program(const QStringList &arguments = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.path());
        environment.insert("XDG_CONFIG_HOME", path("config"));
        environment.insert("XDG_DATA_HOME", path("data"));
        environment.insert("XDG_CACHE_HOME", path("cache"));
        environment.insert("XDG_RUNTIME_DIR", path("run"));
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.remove("XDG_CURRENT_DESKTOP");
        process->setProcessEnvironment(environment);
        process->setProgram(m_binary);
        process->setArguments(arguments);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        return process;
    }

    // Managed top-level windows whose title matches the regular expression,
    // belonging to pid (0: anyone), oldest first.
    static QStringList windows(const QString &titleRegex, qint64 pid = 0) {
        const QString list = output("wmctrl", {"-lp"});
        // Each line: id, desktop, pid, host, title.
        static const QRegularExpression line(QStringLiteral("^(\\S+) +\\S+ +(\\d+) +\\S+ (.*)$"),
                                             QRegularExpression::MultilineOption);
        const QRegularExpression title(titleRegex);
        QStringList found;
        for (const QRegularExpressionMatch &window : line.globalMatch(list))
            if ((pid == 0 || window.captured(2).toLongLong() == pid) &&
                title.match(window.captured(3)).hasMatch())
                found.append(window.captured(1));
        return found;
    }

    enum class Shown { Viewable, MappedOrIconic };

    static QString waitForWindow(const QString &titleRegex, qint64 pid = 0,
                                 Shown shown = Shown::Viewable, int timeoutMs = 10000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            const QStringList found = windows(titleRegex, pid);
            if (!found.isEmpty() &&
                (shown == Shown::MappedOrIconic ||
                 output("xwininfo", {"-id", found.last()}).contains("IsViewable")))
                return found.last();
            QTest::qWait(50);
        }
        return {};
    }

    // The program's icon in the tray: a small viewable window of its own.
    static QString trayIcon(qint64 pid) {
        const QStringList candidates =
            output("xdotool", {"search", "--pid", QString::number(pid), "--name", "^Rotafond$"})
                .split('\n', Qt::SkipEmptyParts);
        for (const QString &window : candidates) {
            const QString info = output("xwininfo", {"-id", window});
            const int width =
                QRegularExpression(QStringLiteral("Width: (\\d+)")).match(info).captured(1).toInt();
            if (info.contains("IsViewable") && width > 0 && width <= 64)
                return window;
        }
        return {};
    }

    static void clickWindow(const QString &window, int button, int clicks = 1) {
        QProcess::execute("xdotool",
                          {"mousemove", "--window", window, "8", "8", "click", "--repeat",
                           QString::number(clicks), "--delay", "80", QString::number(button)});
    }

    static void keys(const QStringList &sequence) {
        for (const QString &key : sequence) {
            QProcess::execute("xdotool", {"key", key});
            QTest::qWait(60);
        }
    }

    // Does action until condition holds, a few times: clicks and menus on a
    // busy X server are sometimes lost.
    static bool retry(const std::function<void()> &action, const std::function<bool()> &condition) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            action();
            QDeadlineTimer deadline(3000);
            while (!deadline.hasExpired()) {
                if (condition())
                    return true;
                QTest::qWait(50);
            }
        }
        return false;
    }

    static void pressKey(const QString &window, const QString &key) {
        QProcess::execute("wmctrl", {"-i", "-a", window});
        QTest::qWait(200);
        QProcess::execute("xdotool", {"key", "--clearmodifiers", key});
    }

    // Asks the window manager to close the window, as its close button does.
    static void closeWindow(const QString &window) {
        QProcess::execute("wmctrl", {"-i", "-c", window});
    }

    // The colour the root window shows at (x, y), as the server holds it.
    static QRgb rootPixel(int x, int y) {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_get_image_reply_t *reply =
            xcb_get_image_reply(connection,
                                xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root,
                                              int16_t(x), int16_t(y), 1, 1, ~0u),
                                nullptr);
        QRgb pixel = 0;
        if (reply && xcb_get_image_data_length(reply) >= 4)
            pixel = 0xff000000u |
                    (*reinterpret_cast<const uint32_t *>(xcb_get_image_data(reply)) & 0xffffffu);
        std::free(reply);
        xcb_disconnect(connection);
        return pixel;
    }

private:
    // What a helper program printed.
    static QString output(const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(5000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QTemporaryDir m_home;
    QString m_binary = QStringLiteral(ROTAFOND_BINARY);
};
