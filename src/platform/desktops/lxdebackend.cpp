#include "lxdebackend.h"

#include "programrunner.h"
#include "x11desktopwindow.h"

namespace {

const QString Program = QStringLiteral("pcmanfm");

// Without its desktop, pcmanfm opens an error dialog and waits.
Result<void> checkDesktopRuns() {
    if (!hasX11DesktopWindow("Pcmanfm"))
        return Failure{QStringLiteral("The LXDE desktop (pcmanfm --desktop) is not running.")};
    return {};
}

} // namespace

Result<void> LxdeBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    if (const Result<void> runs = checkDesktopRuns(); !runs)
        return runs;
    QStringList arguments{QStringLiteral("--set-wallpaper"), path};
    if (const QString mode = styleWord(style); !mode.isEmpty())
        arguments << QStringLiteral("--wallpaper-mode") << mode;
    return runProgram(Program, arguments);
}

Result<void> LxdeBackend::clear() {
    if (const Result<void> runs = checkDesktopRuns(); !runs)
        return runs;
    // "color" shows the desktop's background colour alone.
    return runProgram(Program, {QStringLiteral("--wallpaper-mode"), QStringLiteral("color")});
}
