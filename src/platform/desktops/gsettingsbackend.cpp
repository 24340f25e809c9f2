#include "gsettingsbackend.h"

#include <QUrl>

#include <gio/gio.h>

const GSettingsDesktopBackend::Keys GSettingsDesktopBackend::Gnome{
    "GNOME",          "org.gnome.desktop.background", "picture-uri", true, "picture-uri-dark",
    "picture-options"};
const GSettingsDesktopBackend::Keys GSettingsDesktopBackend::Cinnamon{
    "Cinnamon", "org.cinnamon.desktop.background", "picture-uri", true, nullptr, "picture-options"};
const GSettingsDesktopBackend::Keys GSettingsDesktopBackend::Mate{
    "MATE", "org.mate.background", "picture-filename", false, nullptr, "picture-options"};

namespace {

const char *pictureOptions(WallpaperStyle style) {
    switch (style) {
    case WallpaperStyle::Tile:
        return "wallpaper";
    case WallpaperStyle::Center:
        return "centered";
    case WallpaperStyle::Stretch:
        return "stretched";
    case WallpaperStyle::Clear:
        return "none";
    case WallpaperStyle::Unchanged:
        break;
    }
    return nullptr;
}

} // namespace

GSettingsDesktopBackend::GSettingsDesktopBackend(const Keys &keys)
    : m_keys(keys) {}

ApplyResult GSettingsDesktopBackend::apply(const QString &path, const QImage &,
                                           WallpaperStyle style) {
    // Opening a schema that is not installed aborts the process: look first.
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema =
        source ? g_settings_schema_source_lookup(source, m_keys.schema, TRUE) : nullptr;
    if (!schema)
        return ApplyResult::failure(
            QStringLiteral("The settings schema %1 is not installed.").arg(m_keys.schema));
    const bool hasDarkKey =
        m_keys.darkPictureKey && g_settings_schema_has_key(schema, m_keys.darkPictureKey);
    const bool complete = g_settings_schema_has_key(schema, m_keys.pictureKey) &&
                          g_settings_schema_has_key(schema, m_keys.optionsKey);
    g_settings_schema_unref(schema);
    if (!complete)
        return ApplyResult::failure(
            QStringLiteral("The settings schema %1 lacks the wallpaper keys.").arg(m_keys.schema));

    GSettings *settings = g_settings_new(m_keys.schema);
    bool written = true;
    if (const char *options = pictureOptions(style))
        written = g_settings_set_string(settings, m_keys.optionsKey, options);
    if (style != WallpaperStyle::Clear) {
        const QByteArray picture =
            m_keys.pictureIsUri ? QUrl::fromLocalFile(path).toEncoded() : path.toUtf8();
        written =
            written && g_settings_set_string(settings, m_keys.pictureKey, picture.constData());
        if (hasDarkKey)
            written = written &&
                      g_settings_set_string(settings, m_keys.darkPictureKey, picture.constData());
    }
    g_settings_sync();
    g_object_unref(settings);
    if (!written)
        return ApplyResult::failure(
            QStringLiteral("The desktop refused the wallpaper settings of %1.").arg(m_keys.schema));
    return {};
}
