#pragma once

#include "desktopbackend.h"

// sway and other wlroots compositors: a swaybg process draws the background.
// Each change starts a new one and stops the previous one once the new one
// has had time to draw, so the screen never flashes grey. apply() waits for
// that hand-over, so it runs on a worker.
class SwayBackend : public DesktopBackend {
public:
    static constexpr int HandoverMs = 1000;

    ~SwayBackend() override;
    QString name() const override { return QStringLiteral("sway"); }
    bool wantsFreshFileName() const override { return false; }
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;

private:
    qint64 m_current = 0;
};
