#pragma once

#include <QString>

// How the desktop shows the bitmap. Unchanged sets the bitmap and leaves the
// desktop's own style setting alone.
enum class WallpaperStyle { Tile, Center, Stretch, Clear, Unchanged };

// The word the desktops' tools use for a style: "tile", "center" or
// "stretch". Empty for Clear and Unchanged, which each tool says its own way.
inline QString styleWord(WallpaperStyle style) {
    switch (style) {
    case WallpaperStyle::Tile:
        return QStringLiteral("tile");
    case WallpaperStyle::Center:
        return QStringLiteral("center");
    case WallpaperStyle::Stretch:
        return QStringLiteral("stretch");
    case WallpaperStyle::Clear:
    case WallpaperStyle::Unchanged:
        break;
    }
    return {};
}
