#include "lxqtbackend.h"

#include "programrunner.h"
#include "x11desktopwindow.h"

#include <QDir>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString program = QStringLiteral("pcmanfm-qt");

// pcmanfm-qt keeps what it shows in the settings of its profile; the desktop
// may run under any profile, so look at all of them.
bool desktopShows(const QString &path) {
    const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/pcmanfm-qt"));
    const QStringList profiles = config.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(profiles.cbegin(), profiles.cend(), [&](const QString &profile) {
        const QSettings settings(config.filePath(profile + QStringLiteral("/settings.conf")),
                                 QSettings::IniFormat);
        return settings.value(QStringLiteral("Desktop/Wallpaper")).toString() == path;
    });
}

// Its "color" mode leaves the last picture on screen, so a plain screen is a
// black picture of our own, stretched.
Result<void> showPlainBlack() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                           QStringLiteral("/rotafond");
    const QString plain = folder + QStringLiteral("/plain.png");
    QImage black(8, 8, QImage::Format_RGB32);
    black.fill(Qt::black);
    if (!QDir().mkpath(folder) || !black.save(plain))
        return Failure{QStringLiteral("Cannot write %1.").arg(plain)};
    return runProgram(program, {QStringLiteral("--set-wallpaper"), plain,
                                QStringLiteral("--wallpaper-mode"), QStringLiteral("stretch")});
}

// Without its desktop, pcmanfm-qt stores the picture, reports success and
// shows nothing.
Result<void> checkDesktopRuns() {
    if (!hasX11DesktopWindow("pcmanfm-qt"))
        return Failure{QStringLiteral("The LXQt desktop (pcmanfm-qt --desktop) is not running.")};
    return {};
}

} // namespace

Result<void> LxqtBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    if (const Result<void> runs = checkDesktopRuns(); !runs)
        return runs;
    // A path it already shows would be ignored even though the file changed.
    if (desktopShows(path)) {
        if (const Result<void> plain = showPlainBlack(); !plain)
            return plain;
    }
    QStringList arguments{QStringLiteral("--set-wallpaper"), path};
    if (const QString mode = styleWord(style); !mode.isEmpty())
        arguments << QStringLiteral("--wallpaper-mode") << mode;
    return runProgram(program, arguments);
}

Result<void> LxqtBackend::clear() {
    if (const Result<void> runs = checkDesktopRuns(); !runs)
        return runs;
    return showPlainBlack();
}
