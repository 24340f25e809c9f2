#pragma once

#include "wallpaperentry.h"
#include "wallpaperstyle.h"

#include <QString>

// "Tile", "Center", "Stretch", "Clear", compared exactly; any other text sets
// the bitmap and leaves the desktop's style as it is.
WallpaperStyle styleFromText(const QString &text);

// The two-letter code of an entry's display settings: "TN", "TP", "SN", "SP", "SS".
QString displayMode(const WallpaperEntry &entry);

// The mode the desktop really shows: a resized, non-proportional entry is
// stretched even when its tiled flag is set.
QString appliedDisplayMode(const WallpaperEntry &entry);

// What becomes the wallpaper for an entry: the picture itself or its
// proportional composition, and the style the desktop is told.
struct Composition {
    bool proportional;
    WallpaperStyle style;
};
Composition compositionFor(const WallpaperEntry &entry);
