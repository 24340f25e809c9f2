#pragma once

// Pictures that tests make themselves, and a way to see where one was drawn.

#include <QDir>
#include <QImage>
#include <QRect>

// Writes a one-colour PNG of the given size into folder and returns its path.
inline QString writePicture(const QDir &folder, const QString &name, QSize size,
                            const QColor &colour = Qt::darkCyan) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG"))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The bounding box of the pixels that differ from the background.
inline QRect drawnArea(const QImage &image, QRgb background) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                area |= QRect(x, y, 1, 1);
    return area;
}
