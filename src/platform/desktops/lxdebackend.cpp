#include "lxdebackend.h"

#include "programrunner.h"
#include "x11desktopwindow.h"

ApplyResult LxdeBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    // Without its desktop, pcmanfm opens an error dialog and waits.
    if (!hasX11DesktopWindow("Pcmanfm"))
        return ApplyResult::failure(
            QStringLiteral("The LXDE desktop (pcmanfm --desktop) is not running."));
    const QString program = QStringLiteral("pcmanfm");
    switch (style) {
    case WallpaperStyle::Clear:
        // "color" shows the desktop's background colour alone.
        return runProgram(program, {QStringLiteral("--wallpaper-mode"), QStringLiteral("color")});
    case WallpaperStyle::Unchanged:
    case WallpaperStyle::Span:
        return runProgram(program, {QStringLiteral("--set-wallpaper"), path});
    case WallpaperStyle::Tile:
    case WallpaperStyle::Center:
    case WallpaperStyle::Stretch:
        break;
    }
    return runProgram(program, {QStringLiteral("--set-wallpaper"), path,
                                QStringLiteral("--wallpaper-mode"), styleWord(style)});
}
