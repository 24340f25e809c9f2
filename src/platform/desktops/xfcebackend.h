#pragma once

#include "desktopbackend.h"

#include <QStringList>

// XFCE: xfdesktop reads one last-image property per output and workspace;
// each output gets a picture composed for its own size.
class XfceBackend : public PerMonitorBackend {
public:
    // outputs: the RandR names of the connected outputs, as xfdesktop names
    // its monitor<output> properties.
    explicit XfceBackend(QStringList outputs);
    QString name() const override { return QStringLiteral("XFCE"); }
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
    ApplyResult applyPerMonitor(const MonitorPictureWriter &writePicture,
                                const QList<Monitor> &monitors, const QString &path,
                                WallpaperStyle style) override;

private:
    using PictureFor =
        std::function<ApplyResult(const QString &output, QString *path, WallpaperStyle *style)>;
    ApplyResult applyToEveryImage(const QStringList &outputs, const PictureFor &pictureFor);

    QStringList m_outputs;
};
