#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

// Drawing routines shared by the wallpaper, the preview and the thumbnails.
// Sizes are computed in single precision and rounded half to even.

// The picture scaled until its longer side equals the matching screen side.
// The other side may overflow the screen.
QImage composeProportional(const QImage &picture, QSize screen);
// The size composeProportional gives a picture of the given size.
QSize proportionalSize(QSize picture, QSize screen);

// The whole source scaled onto a destination of the given size, in its colours
// whatever its pixel format.
QImage stretchIntoSurface(const QImage &source, QSize destination);

// Where drawFitted puts a source of the given size; empty when it draws nothing.
QRect fittedRect(QSize source, QSize destination);

// The source centred on a destination of the given size filled with
// background, shrunk to fit inside a one-pixel margin, never enlarged and
// never drawn outside the destination.
QImage drawFitted(const QImage &source, QSize destination, const QColor &background);

// Copies tile unscaled into target with its top-left corner at (x, y).
void copyPreviewTile(QImage &target, const QImage &tile, int x, int y);
