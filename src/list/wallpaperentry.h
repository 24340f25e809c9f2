#pragma once

#include <QString>
#include <QtGlobal>

// One entry of the wallpaper list: the image and how it is displayed.
struct WallpaperEntry {
    QString filePath;
    bool resize = true;
    bool proportional = true; // only matters when resize is set
    bool tiled = false;

    friend bool operator==(const WallpaperEntry &, const WallpaperEntry &) = default;
};
// Lists of entries move them by memmove: removing from a long list stays cheap.
Q_DECLARE_TYPEINFO(WallpaperEntry, Q_RELOCATABLE_TYPE);
