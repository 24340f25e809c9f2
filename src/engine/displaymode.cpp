#include "displaymode.h"

WallpaperStyle styleFromText(const QString &text) {
    if (text == QLatin1String("Tile"))
        return WallpaperStyle::Tile;
    if (text == QLatin1String("Center"))
        return WallpaperStyle::Center;
    if (text == QLatin1String("Stretch"))
        return WallpaperStyle::Stretch;
    if (text == QLatin1String("Clear"))
        return WallpaperStyle::Clear;
    return WallpaperStyle::Unchanged;
}

QString displayMode(const WallpaperEntry &entry) {
    // There is no tiled-and-stretched code: a resized tiled entry is "TP".
    if (entry.tiled)
        return entry.resize ? QStringLiteral("TP") : QStringLiteral("TN");
    if (!entry.resize)
        return QStringLiteral("SN");
    return entry.proportional ? QStringLiteral("SP") : QStringLiteral("SS");
}

Composition compositionFor(const WallpaperEntry &entry) {
    const WallpaperStyle tileOrCenter = entry.tiled ? WallpaperStyle::Tile : WallpaperStyle::Center;
    if (!entry.resize)
        return {false, tileOrCenter};
    if (entry.proportional)
        return {true, tileOrCenter};
    // Stretching is the desktop's job: the bitmap stays at the picture's own size.
    return {false, WallpaperStyle::Stretch};
}

QString appliedDisplayMode(const WallpaperEntry &entry) {
    return entry.resize && !entry.proportional ? QStringLiteral("SS") : displayMode(entry);
}
