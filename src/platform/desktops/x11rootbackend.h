#pragma once

#include "desktopbackend.h"

// Bare X11 (and any window manager that leaves the root window alone): the
// wallpaper is a pixmap set as the root window's background and announced
// through _XROOTPMAP_ID / ESETROOT_PMAP_ID, so terminals with pseudo
// transparency and later setters can find and free it.
class X11RootBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("X11"); }
    bool wantsFreshFileName() const override { return false; }
    bool drawsFromPixels() const override { return true; }
    Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
    Result<void> clear() override;
};
