#pragma once

#include "desktopbackend.h"

// XFCE: every monitor and workspace has its own last-image property.
class XfceBackend : public DesktopBackend {
public:
    explicit XfceBackend(QString monitorName);
    QString name() const override { return QStringLiteral("XFCE"); }
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;

private:
    QString m_monitorName;
};
