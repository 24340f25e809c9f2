#pragma once

#include "desktopbackend.h"

#include <QTimer>

// sway and other wlroots compositors: a swaybg process draws the background.
// Each change starts a new one and stops the previous one once the new one
// has had time to draw, so the screen never flashes grey.
class SwayBackend : public DesktopBackend {
public:
    static constexpr int HandoverMs = 1000;

    SwayBackend();
    ~SwayBackend() override;
    QString name() const override { return QStringLiteral("sway"); }
    bool wantsFreshFileName() const override { return false; }
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;

private:
    void stopPrevious();

    qint64 m_current = 0;
    qint64 m_previous = 0;
    QTimer m_handover;
};
