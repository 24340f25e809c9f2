#pragma once

// Pictures and files that tests make themselves, and a way to see where a picture was drawn.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <cstring>

// Writes bytes to path; false when it cannot.
inline bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A one-colour picture of the given size, encoded in format.
inline QByteArray pictureBytes(QSize size, const char *format,
                               const QColor &colour = Qt::darkGreen) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Writes a one-colour PNG of the given size into folder and returns its path.
inline QString writePicture(const QDir &folder, const QString &name, QSize size,
                            const QColor &colour = Qt::darkCyan) {
    const QString path = folder.filePath(name);
    if (!writeBytes(path, pictureBytes(size, "PNG", colour)))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A picture with no two neighbours alike: a diagonal blue-to-yellow gradient.
inline QImage gradientPicture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(1, Qt::yellow);
    QPainter(&image).fillRect(image.rect(), gradient);
    return image;
}

// A small bitmap whose header claims side x side pixels: far beyond any
// allocation limit, yet a readable header.
inline QByteArray bitmapClaiming(qint32 side) {
    QByteArray bytes = pictureBytes(QSize(4, 4), "BMP");
    memcpy(bytes.data() + 18, &side, 4); // width
    memcpy(bytes.data() + 22, &side, 4); // height
    return bytes;
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
