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
    Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
    Result<void> clear() override;
    Result<void> applyPerMonitor(const MonitorPictureWriter &writePicture,
                                 const QList<Monitor> &monitors, const QString &path,
                                 WallpaperStyle style) override;

private:
    // Sets one last-image property (and what goes with it) for the output it names.
    using SetImage = std::function<Result<void>(const QString &image, const QString &output)>;
    Result<void> forEveryImage(const QStringList &outputs, const SetImage &set);

    QStringList m_outputs;
};
