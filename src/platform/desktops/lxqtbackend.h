#pragma once

#include "desktopbackend.h"

// LXQt: the desktop is drawn by pcmanfm-qt.
class LxqtBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("LXQt"); }
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
};
