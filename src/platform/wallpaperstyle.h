#pragma once

// How the desktop shows the bitmap. Unchanged sets the bitmap and leaves the
// desktop's own style setting alone.
enum class WallpaperStyle { Tile, Center, Stretch, Clear, Unchanged };
