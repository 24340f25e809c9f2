#pragma once

#include "desktopbackend.h"

// Desktops that read their wallpaper from GSettings: GNOME (and Unity,
// Budgie), Cinnamon and MATE differ only in schema and key names.
class GSettingsDesktopBackend : public DesktopBackend {
public:
    struct Keys {
        const char *desktop;
        const char *schema;
        const char *pictureKey;
        bool pictureIsUri;          // MATE stores a plain path
        const char *darkPictureKey; // GNOME 42+ shows this one in dark mode; may be absent
        const char *optionsKey;
        // What hides the picture and leaves the desktop's colour: MATE has no
        // "none" option but draws only its colour without a file.
        const char *clearKey;
        const char *clearValue;
        bool tilesNeedShading; // GNOME Shell stretches tiles over a solid colour
    };
    static const Keys Gnome;
    static const Keys Cinnamon;
    static const Keys Mate;

    explicit GSettingsDesktopBackend(const Keys &keys);
    QString name() const override { return QLatin1String(m_keys.desktop); }
    bool spansMonitors() const override { return true; }
    Result<void> apply(const QString &path, const QImage &bitmap, WallpaperStyle style) override;
    Result<void> clear() override;

private:
    Keys m_keys;
};
