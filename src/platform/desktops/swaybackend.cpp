#include "swaybackend.h"

#include <QProcess>
#include <QStandardPaths>

#include <signal.h>

SwayBackend::SwayBackend() {
    m_handover.setSingleShot(true);
    m_handover.setInterval(HandoverMs);
    QObject::connect(&m_handover, &QTimer::timeout, [this] { stopPrevious(); });
}

// The background stays when the program ends: swaybg runs on its own.
SwayBackend::~SwayBackend() {
    stopPrevious();
}

void SwayBackend::stopPrevious() {
    m_handover.stop();
    if (m_previous > 0)
        ::kill(pid_t(m_previous), SIGTERM);
    m_previous = 0;
}

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
    stopPrevious();
    m_previous = m_current;
    m_current = pid;
    m_handover.start();
    return {};
}
