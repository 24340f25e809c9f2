#pragma once

#include "displaymode.h"
#include "wallpaperentry.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// Decodes an entry's picture into what the desktop needs, and no more: a
// resized picture is decoded at the smallest reduced size that still covers
// its target, and a desktop that draws from our pixels gets only the part of
// an unresized picture that the screen can show.
class DesktopPicture {
public:
    DesktopPicture(const WallpaperEntry &entry, QSize screen);

    // Reads the picture's header; false when the file is not a readable picture.
    bool readHeader(QString *error);

    Composition composition() const { return m_composition; }
    QSize naturalSize() const { return m_natural; }

    // What a desktop that draws from our pixels must draw with the
    // composition's style to show the same as the full bitmap would.
    QImage visiblePart(QString *error);
    // The bitmap the entry composes to ("Rotafond.bmp"): the picture itself, or
    // its proportional composition.
    QImage bitmap(QString *error);

    // The part of a picture of the given size that a screen shows when it is
    // centred or tiled from the top-left corner.
    static QRect visibleRect(QSize picture, QSize screen, WallpaperStyle style);

private:
    QImage decode(QSize scaledTo, QRect clip, QString *error) const;

    WallpaperEntry m_entry;
    QSize m_screen;
    Composition m_composition;
    QSize m_natural;
    QByteArray m_format;
    bool m_turned = false;
    QImage m_bitmap;
};
