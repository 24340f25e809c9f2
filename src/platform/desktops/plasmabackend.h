#pragma once

#include "desktopbackend.h"

// KDE Plasma: a script run by plasmashell over D-Bus sets every desktop
// containment; each gets the picture composed for its own screen.
class PlasmaBackend : public PerMonitorBackend {
public:
    QString name() const override { return QStringLiteral("KDE Plasma"); }
    Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
    Result<void> applyPerMonitor(const MonitorPictureWriter &writePicture,
                                 const QList<Monitor> &monitors, const QString &path,
                                 WallpaperStyle style) override;
    Result<void> clear() override;

    struct MonitorPicture {
        QRect rect; // where the monitor is, as the window system reports it
        QString path;
    };
    // The script text; paths enter it only as JSON string literals. A
    // containment whose screen is none of the monitors shows path with the style.
    static QString script(const QString &path, WallpaperStyle style,
                          const QList<MonitorPicture> &monitors = {});

private:
    static Result<void> evaluate(const QString &script);
};
