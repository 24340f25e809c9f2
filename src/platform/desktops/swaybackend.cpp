#include "swaybackend.h"

#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <signal.h>

// The background stays when the program ends: the last swaybg runs on its own.
SwayBackend::~SwayBackend() = default;

ApplyResult SwayBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("swaybg"));
    if (program.isEmpty())
        return ApplyResult::failure(QStringLiteral("swaybg is not installed."));
    QStringList arguments;
    switch (style) {
    case WallpaperStyle::Clear:
        arguments = {QStringLiteral("-c"), QStringLiteral("#000000")};
        break;
    case WallpaperStyle::Tile:
        arguments = {QStringLiteral("-i"), path, QStringLiteral("-m"), QStringLiteral("tile")};
        break;
    case WallpaperStyle::Stretch:
        arguments = {QStringLiteral("-i"), path, QStringLiteral("-m"), QStringLiteral("stretch")};
        break;
    case WallpaperStyle::Center:
    case WallpaperStyle::Unchanged:
        arguments = {QStringLiteral("-i"), path, QStringLiteral("-m"), QStringLiteral("center")};
        break;
    }
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid))
        return ApplyResult::failure(QStringLiteral("swaybg did not start."));
    const qint64 previous = m_current;
    m_current = pid;
    if (previous > 0) {
        QThread::msleep(HandoverMs);
        ::kill(pid_t(previous), SIGTERM);
    }
    return {};
}
