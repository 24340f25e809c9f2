#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

class ThumbnailCache;

// One picture's thumbnail as the browser shows it: the picture fitted into
// the canvas on the background colour. Safe to call from worker threads.
struct Thumbnail {
    bool ok = false;
    QImage canvas;
    bool fromCache = false;
};

// Icons and cursors make poor wallpapers and are left out, by their real
// format or their extension ("photo.current.jpg" is a photo).
bool isIconOrCursor(const QString &name, const QByteArray &format);

// Reads regular files only (a FIFO in the folder cannot hold up a worker),
// and only as much of the picture as the thumbnail needs (JPEGs decode at
// 1/2, 1/4 or 1/8 of their size) and keeps the shared cache filled. Pictures
// whose decoding would need more than the memory limit fail.
Thumbnail makeThumbnail(const QString &path, const ThumbnailCache &cache, QSize canvas,
                        const QColor &background);
