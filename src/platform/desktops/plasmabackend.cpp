#include "plasmabackend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

namespace {

QString jsonString(const QString &text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2)); // strip the brackets
}

} // namespace

QString PlasmaBackend::script(const QString &path, WallpaperStyle style) {
    if (style == WallpaperStyle::Clear) {
        // An empty Image brings back Plasma's own default picture: show the
        // plain colour plugin instead; the next picture switches back.
        return QStringLiteral("var all = desktops();\n"
                              "for (var i = 0; i < all.length; i++) {\n"
                              "    var d = all[i];\n"
                              "    d.wallpaperPlugin = \"org.kde.color\";\n"
                              "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.color\", "
                              "\"General\"];\n"
                              "    d.writeConfig(\"Color\", \"0,0,0\");\n"
                              "}\n");
    }
    // FillMode: 3 tiled, 6 centred, 0 stretched (Qt's Image.fillMode values).
    const int fillMode = style == WallpaperStyle::Tile      ? 3
                         : style == WallpaperStyle::Stretch ? 0
                                                            : 6;
    QString body = QStringLiteral("var image = %1;\n"
                                  "var all = desktops();\n"
                                  "for (var i = 0; i < all.length; i++) {\n"
                                  "    var d = all[i];\n"
                                  "    d.wallpaperPlugin = \"org.kde.image\";\n"
                                  "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", "
                                  "\"General\"];\n"
                                  "    d.writeConfig(\"Image\", image);\n")
                       .arg(jsonString(QUrl::fromLocalFile(path).toString()));
    if (style != WallpaperStyle::Unchanged)
        body += QStringLiteral("    d.writeConfig(\"FillMode\", %1);\n").arg(fillMode);
    body += QStringLiteral("}\n");
    return body;
}

ApplyResult PlasmaBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return ApplyResult::failure(QStringLiteral("No D-Bus session bus."));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << script(path, style);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return ApplyResult::failure(
            QStringLiteral("Plasma refused the wallpaper: %1").arg(reply.errorMessage()));
    return {};
}
