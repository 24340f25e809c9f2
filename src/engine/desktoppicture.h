#pragma once

#include "displaymode.h"
#include "monitors.h"
#include "result.h"
#include "wallpaperentry.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// Decodes an entry's picture into what the desktop needs, and no more: a
// resized picture is decoded at the smallest reduced size that still covers
// its target, and for the desktop's own picture only the part of an
// unresized picture that the monitors can show is decoded.
class DesktopPicture {
public:
    // screen: the primary monitor, which the bitmap is composed for.
    DesktopPicture(const WallpaperEntry &entry, QSize screen);

    // Reads the picture's header; fails when the file is not a readable picture.
    Result<void> readHeader();

    Composition composition() const { return m_composition; }
    QSize naturalSize() const { return m_natural; }

    // The bitmap the entry composes to ("Rotafond.bmp"): the picture itself, or
    // its proportional composition.
    Result<QImage> bitmap();
    // The whole desktop: each monitor shows the entry as a screen of its own
    // size would, at its place, black between them.
    Result<QImage> desktop(const QList<Monitor> &monitors);

    // The part of a picture of the given size that a screen shows when it is
    // centred or tiled from the top-left corner.
    static QRect visibleRect(QSize picture, QSize screen, WallpaperStyle style);

private:
    // reduceFor: the size a JPEG's reduced decode must still cover;
    // scaledTo: the size the result is scaled to.
    Result<QImage> decode(QSize reduceFor, QSize scaledTo, QRect clip) const;
    // What screens up to cover's size show of the picture; origin is where it
    // lies in the picture. A cover within one decoded before is served from it.
    Result<QImage> coveringPart(QSize cover, QPoint *origin);
    Result<QImage> decodeCoveringPart(QSize cover, QPoint *origin);

    WallpaperEntry m_entry;
    QSize m_screen;
    Composition m_composition;
    QSize m_natural;
    QByteArray m_format;
    bool m_turned = false;
    QImage m_bitmap;
    // The largest covering part decoded so far, for the size it covers: a
    // desktop set monitor by monitor composes its smaller monitors from it.
    QImage m_covering;
    QSize m_coveringSize;
    QPoint m_coveringOrigin;
};
