#pragma once

#include <QImageReader>
#include <QSize>

// Picture sizes as the user sees them, with the Exif orientation applied,
// read from the header alone.

// Turns the reader's orientation handling on and returns the upright size;
// invalid when the header gives none.
inline QSize uprightSize(QImageReader &reader) {
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (size.isValid() && (reader.transformation() & QImageIOHandler::TransformationRotate90))
        size.transpose();
    return size;
}

// Decoders scale in the file's own orientation, before it is turned upright.
inline void setUprightScaledSize(QImageReader &reader, QSize upright) {
    reader.setScaledSize((reader.transformation() & QImageIOHandler::TransformationRotate90)
                             ? upright.transposed()
                             : upright);
}
