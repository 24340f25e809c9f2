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
    QString error;              // why the file was refused
    bool alreadyInList = false; // not added again: the list has it
};

// A picture file as adding sees it: its upright size, read from the header.
struct MeasuredPicture {
    QString path;
    QSize size;    // valid when the file is a picture
    QString error; // why the file is refused; empty when it is a picture
};

// Reads the header of the picture at path. Only readable regular files whose
// format can be identified count as pictures. It may block on a slow or dead
// path: call it on a worker.
MeasuredPicture measurePicture(const QString &path);

// Appends a measured picture with the defaults of its size class: small
// when narrower or lower than the threshold, large otherwise. A refused
// picture leaves the list as it was. fallbackThreshold serves when a
// threshold text is not a number.
AddResult addMeasuredToList(WallpaperList &list, const MeasuredPicture &picture,
                            const NewEntryDefaults &defaults, QSize fallbackThreshold);

// Measures and appends in one go, where waiting on the file is allowed.
AddResult addFileToList(WallpaperList &list, const QString &path, const NewEntryDefaults &defaults,
                        QSize fallbackThreshold);
