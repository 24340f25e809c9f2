#pragma once

#include "desktopbackend.h"

// LXDE: the desktop window is drawn by the GTK pcmanfm (pcmanfm --desktop),
// which covers the X root; the picture has to go through pcmanfm itself. It
// reads the file again at every change, whatever its name.
class LxdeBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("LXDE"); }
    bool wantsFreshFileName() const override { return false; }
    Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
    Result<void> clear() override;
};
