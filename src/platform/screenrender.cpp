#include "screenrender.h"

#include "smoothscaled.h"

#include <QPainter>

QImage renderScreen(const QImage &picture, QSize screen, WallpaperStyle style) {
    if (picture.size() == screen && style == WallpaperStyle::Span)
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage shown(screen, QImage::Format_RGB32);
    shown.fill(Qt::black);
    if (picture.isNull())
        return shown;
    QPainter painter(&shown);
    switch (style) {
    case WallpaperStyle::Tile:
        painter.fillRect(shown.rect(), QBrush(picture));
        break;
    case WallpaperStyle::Stretch:
        painter.drawImage(QPoint(0, 0), smoothScaled(picture, screen));
        break;
    case WallpaperStyle::Span:
        painter.drawImage(QPoint(0, 0), picture);
        break;
    case WallpaperStyle::Center:
    case WallpaperStyle::Unchanged:
        painter.drawImage(QPoint((screen.width() - picture.width()) / 2,
                                 (screen.height() - picture.height()) / 2),
                          picture);
        break;
    }
    return shown;
}
