#pragma once

#include "wallpaperentry.h"

#include <QSize>
#include <QString>

class WallpaperList;

// The settings a new entry receives by its size class, and the threshold
// between the classes, as the defaults dialog holds them.
struct NewEntryDefaults {
    QString thresholdWidth; // as typed; converted to the nearest integer
    QString thresholdHeight;
    bool tiledSmall = true;
    bool resizeSmall = false;
    bool proportionalSmall = false;
    bool tiledLarge = false;
    bool resizeLarge = true;
    bool proportionalLarge = true;
};

struct AddResult {
    bool added = false;
    QString error; // why the file was refused
};

// Appends the picture at path with the defaults of its size class: small
// when narrower or lower than the threshold, large otherwise. Only the
// header is read. Files that are not readable pictures are refused and the
// list stays as it was. fallbackThreshold serves when a threshold text is not
// a number.
AddResult addFileToList(WallpaperList &list, const QString &path, const NewEntryDefaults &defaults,
                        QSize fallbackThreshold);
