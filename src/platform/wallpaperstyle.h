#pragma once

#include <QString>

// How the desktop shows the bitmap. Unchanged sets the bitmap and leaves the
// desktop's own style setting alone. Span: the bitmap is the whole desktop,
// every monitor's picture at its place, shown 1:1 across all monitors.
enum class WallpaperStyle { Tile, Center, Stretch, Unchanged, Span };

// The word the desktops' tools use for a style: "tile", "center" or
// "stretch". Empty for the others, which each tool says its own way.
inline QString styleWord(WallpaperStyle style) {
    switch (style) {
    case WallpaperStyle::Tile:
        return QStringLiteral("tile");
    case WallpaperStyle::Center:
        return QStringLiteral("center");
    case WallpaperStyle::Stretch:
        return QStringLiteral("stretch");
    case WallpaperStyle::Unchanged:
    case WallpaperStyle::Span:
        break;
    }
    return {};
}
