#include "lxqtbackend.h"

#include "programrunner.h"

ApplyResult LxqtBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    const QString program = QStringLiteral("pcmanfm-qt");
    switch (style) {
    case WallpaperStyle::Clear:
        return runProgram(program, {QStringLiteral("--wallpaper-mode"), QStringLiteral("color")});
    case WallpaperStyle::Unchanged:
        return runProgram(program, {QStringLiteral("--set-wallpaper"), path});
    case WallpaperStyle::Tile:
    case WallpaperStyle::Center:
    case WallpaperStyle::Stretch:
        break;
    }
    const QString mode = style == WallpaperStyle::Tile     ? QStringLiteral("tile")
                         : style == WallpaperStyle::Center ? QStringLiteral("center")
                                                           : QStringLiteral("stretch");
    return runProgram(program, {QStringLiteral("--set-wallpaper"), path,
                                QStringLiteral("--wallpaper-mode"), mode});
}
