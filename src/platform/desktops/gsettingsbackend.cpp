#include "gsettingsbackend.h"

#include <QList>
#include <QUrl>

#include <gio/gio.h>

#include <functional>
#include <utility>

const GSettingsDesktopBackend::Keys GSettingsDesktopBackend::Gnome{"GNOME",
                                                                   "org.gnome.desktop.background",
                                                                   "picture-uri",
                                                                   true,
                                                                   "picture-uri-dark",
                                                                   "picture-options",
                                                                   "picture-options",
                                                                   "none",
                                                                   true};
const GSettingsDesktopBackend::Keys GSettingsDesktopBackend::Cinnamon{
    "Cinnamon",
    "org.cinnamon.desktop.background",
    "picture-uri",
    true,
    nullptr,
    "picture-options",
    "picture-options",
    "none",
    false};
const GSettingsDesktopBackend::Keys GSettingsDesktopBackend::Mate{
    "MATE",  "org.mate.background", "picture-filename", false,
    nullptr, "picture-options",     "picture-filename", "",
    false};

namespace {

const char *pictureOptions(WallpaperStyle style) {
    switch (style) {
    case WallpaperStyle::Tile:
        return "wallpaper";
    case WallpaperStyle::Center:
        return "centered";
    case WallpaperStyle::Stretch:
        return "stretched";
    case WallpaperStyle::Span:
        return "spanned";
    case WallpaperStyle::Unchanged:
        break;
    }
    return nullptr;
}

using Write = std::pair<const char *, QByteArray>;

QList<Write> writesFor(const GSettingsDesktopBackend::Keys &keys, const QString &path,
                       WallpaperStyle style, bool hasDarkKey) {
    QList<Write> writes;
    if (const char *options = pictureOptions(style))
        writes.append(Write(keys.optionsKey, options));
    const QByteArray picture =
        keys.pictureIsUri ? QUrl::fromLocalFile(path).toEncoded() : path.toUtf8();
    writes.append(Write(keys.pictureKey, picture));
    if (hasDarkKey)
        writes.append(Write(keys.darkPictureKey, picture));
    return writes;
}

// GNOME Shell draws a tiled picture stretched over the screen while the
// background colour is "solid" (a long-standing mutter fault); a vertical
// gradient between two equal colours looks the same and keeps the tiles.
QList<Write> tileShadingWrites(GSettingsSchema *schema, const GSettingsDesktopBackend::Keys &keys,
                               WallpaperStyle style) {
    if (!keys.tilesNeedShading || style != WallpaperStyle::Tile)
        return {};
    for (const char *key : {"color-shading-type", "primary-color", "secondary-color"})
        if (!g_settings_schema_has_key(schema, key))
            return {};
    GSettings *settings = g_settings_new(keys.schema);
    gchar *shading = g_settings_get_string(settings, "color-shading-type");
    gchar *primary = g_settings_get_string(settings, "primary-color");
    QList<Write> writes;
    if (qstrcmp(shading, "solid") == 0)
        writes = {Write("color-shading-type", "vertical"), Write("secondary-color", primary)};
    g_free(primary);
    g_free(shading);
    g_object_unref(settings);
    return writes;
}

// The schema's own range: a value outside it would be refused by the desktop
// (or by GSettings itself), so it is never written.
QString rangeError(GSettingsSchema *schema, const Write &write) {
    if (!g_settings_schema_has_key(schema, write.first))
        return QStringLiteral("The settings schema %1 has no key %2.")
            .arg(QLatin1String(g_settings_schema_get_id(schema)), QLatin1String(write.first));
    GSettingsSchemaKey *key = g_settings_schema_get_key(schema, write.first);
    GVariant *value = g_variant_ref_sink(g_variant_new_string(write.second.constData()));
    const bool typeFits =
        g_variant_type_equal(g_settings_schema_key_get_value_type(key), G_VARIANT_TYPE_STRING);
    const bool accepted = typeFits && g_settings_schema_key_range_check(key, value);
    g_variant_unref(value);
    g_settings_schema_key_unref(key);
    if (accepted)
        return {};
    return QStringLiteral("The desktop does not accept \"%1\" for %2 in %3.")
        .arg(QString::fromUtf8(write.second), QLatin1String(write.first),
             QLatin1String(g_settings_schema_get_id(schema)));
}

// Checks the writes the schema gives against its ranges, then makes them
// all in one change set.
Result<void> writeSettings(const GSettingsDesktopBackend::Keys &keys,
                           const std::function<QList<Write>(GSettingsSchema *)> &writesFor) {
    // Opening a schema that is not installed aborts the process: look first.
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema =
        source ? g_settings_schema_source_lookup(source, keys.schema, TRUE) : nullptr;
    if (!schema)
        return Failure{QStringLiteral("The settings schema %1 is not installed.").arg(keys.schema)};
    const QList<Write> writes = writesFor(schema);
    QString refused;
    for (const Write &write : writes) {
        refused = rangeError(schema, write);
        if (!refused.isEmpty())
            break;
    }
    g_settings_schema_unref(schema);
    if (!refused.isEmpty())
        return Failure{refused};

    GSettings *settings = g_settings_new(keys.schema);
    GSettingsBackend *store = nullptr;
    g_object_get(settings, "backend", &store, nullptr);
    // Without dconf, GIO keeps settings in memory where no desktop sees them.
    const bool remembered =
        store && qstrcmp(G_OBJECT_TYPE_NAME(store), "GMemorySettingsBackend") != 0;
    if (store)
        g_object_unref(store);
    bool written = remembered;
    if (remembered) {
        // One change set: the desktop redraws once, with the picture and its
        // options together.
        g_settings_delay(settings);
        for (const Write &write : writes)
            written =
                written && g_settings_set_string(settings, write.first, write.second.constData());
        if (written)
            g_settings_apply(settings);
        else
            g_settings_revert(settings);
        g_settings_sync();
    }
    g_object_unref(settings);
    if (!remembered)
        return Failure{
            QStringLiteral("No settings store is running for the desktop (dconf is missing).")};
    if (!written)
        return Failure{QStringLiteral("The desktop's settings %1 are locked.").arg(keys.schema)};
    return {};
}

} // namespace

GSettingsDesktopBackend::GSettingsDesktopBackend(const Keys &keys)
    : m_keys(keys) {}

Result<void> GSettingsDesktopBackend::apply(const QString &path, const QImage &,
                                            WallpaperStyle style) {
    return writeSettings(m_keys, [&](GSettingsSchema *schema) {
        const bool hasDarkKey =
            m_keys.darkPictureKey && g_settings_schema_has_key(schema, m_keys.darkPictureKey);
        return writesFor(m_keys, path, style, hasDarkKey) +
               tileShadingWrites(schema, m_keys, style);
    });
}

Result<void> GSettingsDesktopBackend::clear() {
    return writeSettings(m_keys, [&](GSettingsSchema *) {
        return QList<Write>{{m_keys.clearKey, m_keys.clearValue}};
    });
}
