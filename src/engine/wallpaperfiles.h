#pragma once

#include "paths.h"
#include "result.h"

#include <QImage>
#include <QString>

class QIODevice;

// Writes image as a 24-bit Windows bitmap.
bool writeBmp(QIODevice &device, const QImage &image);

// The folder that holds the composed wallpaper, known to the desktop and
// writable by the user. Creates it when missing.
class WallpaperFiles {
public:
    explicit WallpaperFiles(QString dataFolder);

    // Named after the system folder that once held the bitmap; here it is the
    // user's data folder (with a trailing "/").
    QString getWindowsFolder() const;
    QString bitmapPath() const { return getWindowsFolder() + QStringLiteral("Rotafond.bmp"); }

    // Writes "Rotafond.bmp" through a temporary file and a rename, so a desktop
    // never reads half a picture.
    Result<void> writeBitmap(const QImage &bitmap) const;

    // Desktops that cache by file name (or ignore a setting that did not
    // change) are given a link to the bitmap under a name never handed out
    // before, also across runs; the previous one is kept, older ones go.
    // Gives the path to hand to such a desktop.
    Result<QString> freshlyNamedCopy();
    // The picture of the whole desktop for a desktop that spans one picture
    // over all monitors, written beside the bitmap and freshly named.
    Result<QString> freshlyNamedSpan(const QImage &desktop);
    // The picture one monitor shows, for desktops that set each monitor on its
    // own: named after the monitor and the last freshly named copy, so it is
    // new with every change and goes with that copy.
    Result<QString> monitorPicture(const QString &monitor, const QImage &picture) const;

private:
    Result<void> writeImage(const QString &path, const QImage &bitmap) const;
    Result<QString> freshlyNamedCopy(const QString &source);

    QString m_dataFolder;
    qint64 m_generation = 0;
};
