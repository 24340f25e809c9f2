#include "displaymode.h"

DisplayMode displayMode(const WallpaperEntry &entry) {
    if (entry.tiled)
        return entry.resize ? DisplayMode::TP : DisplayMode::TN;
    if (!entry.resize)
        return DisplayMode::SN;
    return entry.proportional ? DisplayMode::SP : DisplayMode::SS;
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

DisplayMode appliedDisplayMode(const WallpaperEntry &entry) {
    return entry.resize && !entry.proportional ? DisplayMode::SS : displayMode(entry);
}
