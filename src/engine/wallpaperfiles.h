#pragma once

#include "paths.h"

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
    bool writeBitmap(const QImage &bitmap, QString *error) const;

    // Desktops that cache by file name (or ignore a setting that did not
    // change) are given a link to the bitmap under a name never handed out
    // before, also across runs; the previous one is kept, older ones go.
    // Returns the path to hand to such a desktop.
    QString freshlyNamedCopy(QString *error);
    // The picture of the whole desktop for a desktop that spans one picture
    // over all monitors, written beside the bitmap and freshly named.
    QString freshlyNamedSpan(const QImage &desktop, QString *error);
    // The picture one monitor shows, for desktops that set each monitor on its
    // own: named after the monitor and the last freshly named copy, so it is
    // new with every change and goes with that copy.
    QString monitorPicture(const QString &monitor, const QImage &picture, QString *error) const;

private:
    bool writeImage(const QString &path, const QImage &bitmap, QString *error) const;
    QString freshlyNamedCopy(const QString &source, QString *error);

    QString m_dataFolder;
    qint64 m_generation = 0;
};
