#pragma once

#include "desktopbackend.h"

// KDE Plasma: a script run by plasmashell over D-Bus sets every desktop.
class PlasmaBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("KDE Plasma"); }
    ApplyResult apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;

    // The script text; the path enters it only as a JSON string literal.
    static QString script(const QString &path, WallpaperStyle style);
};
