#pragma once

// Drives the real program on a real X display the way a user would.

#include "screenshot.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

// Finds windows by title, reads the screen and presses keys.
struct X11Desktop {
    // Whether condition came to hold within timeoutMs.
    static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 5000) {
        for (QDeadlineTimer deadline(timeoutMs); !deadline.hasExpired(); QTest::qWait(50))
            if (condition())
                return true;
        return false;
    }

    // Clicks and menus on a busy X server are sometimes lost: a few tries.
    static bool retry(const std::function<void()> &action, const std::function<bool()> &condition) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            action();
            if (waitFor(condition, 3000))
                return true;
        }
        return false;
    }

    // Managed top-level windows of pid whose title matches, oldest first.
    static QStringList windows(const QString &titleRegex, qint64 pid) {
        // Each line: id, desktop, pid, host, title.
        static const QRegularExpression line(QStringLiteral("^(\\S+) +\\S+ +(\\d+) +\\S+ (.*)$"),
                                             QRegularExpression::MultilineOption);
        const QRegularExpression title(titleRegex);
        QStringList found;
        for (const QRegularExpressionMatch &window : line.globalMatch(output("wmctrl", {"-lp"})))
            if (window.captured(2).toLongLong() == pid &&
                title.match(window.captured(3)).hasMatch())
                found.append(window.captured(1));
        return found;
    }

    // The newest such window once it shows (iconic: or is at least mapped), or nothing.
    static QString waitForWindow(const QString &titleRegex, qint64 pid, bool iconic = false) {
        QString window;
        waitFor(
            [&] {
                const QStringList found = windows(titleRegex, pid);
                window = found.value(found.size() - 1);
                return !window.isEmpty() &&
                       (iconic || output("xwininfo", {"-id", window}).contains("IsViewable"));
            },
            10000);
        return window;
    }

    // The program's icon in the tray: a small viewable window of its own.
    static QString trayIcon(qint64 pid) {
        static const QRegularExpression width(QStringLiteral("Width: (\\d+)"));
        const QString own =
            output("xdotool", {"search", "--pid", QString::number(pid), "--name", "^Rotafond$"});
        for (const QString &window : own.split('\n', Qt::SkipEmptyParts)) {
            const QString info = output("xwininfo", {"-id", window});
            if (info.contains("IsViewable") && width.match(info).captured(1).toInt() <= 64)
                return window;
        }
        return {};
    }

    static void clickWindow(const QString &window, int button, int clicks = 1) {
        QProcess::execute("xdotool",
                          {"mousemove", "--window", window, "8", "8", "click", "--repeat",
                           QString::number(clicks), "--delay", "80", QString::number(button)});
    }

    // Raises the window (if any), then presses the keys one after another.
    static void keys(const QString &window, const QStringList &sequence) {
        if (!window.isEmpty())
            QProcess::execute("wmctrl", {"-i", "-a", window});
        for (const QString &key : sequence) {
            QTest::qWait(150);
            QProcess::execute("xdotool", {"key", "--clearmodifiers", key});
        }
    }

    // The colour the root window shows at (x, y), as the server holds it.
    static QRgb rootPixel(int x = 500, int y = 500) {
        const QImage shot = screenshot(QRect(x, y, 1, 1));
        return shot.isNull() ? 0 : shot.pixel(0, 0);
    }

    static QString output(const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(5000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
};

// Starts the program in a private home of its own.
class DesktopDriver : public X11Desktop {
public:
    DesktopDriver() { newHome(); }

    void newHome() {
        m_home = std::make_unique<QTemporaryDir>();
        for (const char *folder : {"config", "data", "cache", "run"})
            QDir(m_home->path()).mkpath(QLatin1String(folder));
        QFile::setPermissions(path("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
        m_binary = QStringLiteral(ROTAFOND_BINARY);
    }
    QString path(const QString &relative) const { return m_home->filePath(relative); }
    QString configFile() const { return path("config/Rotafond/Rotafond.conf"); }
    // Runs another build of the program (an installed one) from now on.
    void useBinary(const QString &binary) { m_binary = binary; }

    // Not yet started; without the environment variables named in unset.
    std::unique_ptr<QProcess> program(const QStringList &arguments = {},
                                      const QStringList &unset = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home->path());
        for (const QString kind : {"CONFIG", "DATA", "CACHE"})
            environment.insert("XDG_" + kind + "_HOME", path(kind.toLower()));
        environment.insert("XDG_RUNTIME_DIR", path("run"));
        environment.insert("QT_QPA_PLATFORM", "xcb");
        for (const QString &name : unset + QStringList{"XDG_CURRENT_DESKTOP"})
            environment.remove(name);
        process->setProcessEnvironment(environment);
        process->setProgram(m_binary);
        process->setArguments(arguments);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        return process;
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_binary;
};
