#pragma once

#include "wallpaperentry.h"
#include "wallpaperstyle.h"

// An entry's display settings as one of five modes, named by their two-letter
// codes: the first letter T(iled) or S(ingle image), the second N(o
// resizing), P(roportional) or S(tretched). There is no tiled-and-stretched
// mode.
enum class DisplayMode { TN, TP, SN, SP, SS };

inline bool isTiled(DisplayMode mode) {
    return mode == DisplayMode::TN || mode == DisplayMode::TP;
}

// The mode of an entry's flags: a tiled entry that is resized is TP.
DisplayMode displayMode(const WallpaperEntry &entry);

// The mode the desktop really shows: a resized, non-proportional entry is
// stretched even when its tiled flag is set.
DisplayMode appliedDisplayMode(const WallpaperEntry &entry);

// What becomes the wallpaper for an entry: the picture itself or its
// proportional composition, and the style the desktop is told.
struct Composition {
    bool proportional;
    WallpaperStyle style;
};
Composition compositionFor(const WallpaperEntry &entry);
