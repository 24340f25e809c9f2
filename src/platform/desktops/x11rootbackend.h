#pragma once

#include "desktopbackend.h"

#include <QSize>

// Bare X11 (and any window manager that leaves the root window alone): the
// wallpaper is a pixmap set as the root window's background and announced
// through _XROOTPMAP_ID / ESETROOT_PMAP_ID, so terminals with pseudo
// transparency and later setters can find and free it.
class X11RootBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("X11"); }
    bool wantsFreshFileName() const override { return false; }
    bool drawsFromPixels() const override { return true; }
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;

    // The screen-sized picture the desktop shows: tiled from the top left,
    // centred (cropped when larger) on black, or stretched.
    static QImage renderDesktop(const QImage &bitmap, QSize screen, WallpaperStyle style);
};
