#pragma once

#include "desktopbackend.h"

// LXQt: the desktop window is drawn by pcmanfm-qt (pcmanfm-qt --desktop),
// which takes a new picture only when its path or mode differs from the one
// it shows.
class LxqtBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("LXQt"); }
    Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
    Result<void> clear() override;
};
