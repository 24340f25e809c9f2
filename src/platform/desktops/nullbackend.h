#pragma once

#include "desktopbackend.h"

// Leaves the desktop alone (ROTAFOND_DESKTOP=none): for tests and for
// people who only want the bitmap file.
class NullBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("none"); }
    bool wantsFreshFileName() const override { return false; }
    Result<void> apply(const QString &, const QImage &, WallpaperStyle) override { return {}; }
    Result<void> clear() override { return {}; }
};
