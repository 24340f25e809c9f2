#pragma once

#include "desktopbackend.h"

#include <QStringList>

// XFCE: xfdesktop reads one last-image property per output and workspace.
class XfceBackend : public DesktopBackend {
public:
    // outputs: the RandR names of the connected outputs, as xfdesktop names
    // its monitor<output> properties.
    explicit XfceBackend(QStringList outputs);
    QString name() const override { return QStringLiteral("XFCE"); }
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;

private:
    QStringList m_outputs;
};
