#pragma once

#include <QString>

// One entry of the wallpaper list: the image and how it is displayed.
struct WallpaperEntry {
    QString filePath;
    bool resize = true;
    bool proportional = true; // only matters when resize is set
    bool tiled = false;

    friend bool operator==(const WallpaperEntry &, const WallpaperEntry &) = default;
};
