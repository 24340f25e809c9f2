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

QString imageUrl(const QString &path) {
    return jsonString(QUrl::fromLocalFile(path).toString());
}

// Qt's Image.fillMode values; -1 leaves the containment's own.
int fillMode(WallpaperStyle style) {
    switch (style) {
    case WallpaperStyle::Tile:
        return 3;
    case WallpaperStyle::Center:
        return 6;
    case WallpaperStyle::Stretch:
    case WallpaperStyle::Span:
        return 0;
    case WallpaperStyle::Unchanged:
        break;
    }
    return -1;
}

QString clearScript() {
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

} // namespace

QString PlasmaBackend::script(const QString &path, WallpaperStyle style,
                              const QList<MonitorPicture> &monitors) {
    QString body = QStringLiteral("var fallback = {image: %1, fillMode: %2};\nvar monitors = [\n")
                       .arg(imageUrl(path), QString::number(fillMode(style)));
    for (const MonitorPicture &monitor : monitors)
        body += QStringLiteral("    {x: %1, y: %2, width: %3, image: %4, fillMode: 0},\n")
                    .arg(monitor.rect.x())
                    .arg(monitor.rect.y())
                    .arg(monitor.rect.width())
                    .arg(imageUrl(monitor.path));
    // A containment shows the picture of the monitor at its screen's top-left,
    // which Plasma may give in device or in logical pixels.
    body += QStringLiteral(
        "];\n"
        "function pictureFor(screen) {\n"
        "    for (var i = 0; screen.width > 0 && i < monitors.length; i++) {\n"
        "        var m = monitors[i], scale = m.width / screen.width;\n"
        "        var x = Math.round(screen.x * scale), y = Math.round(screen.y * scale);\n"
        "        if ((screen.x == m.x && screen.y == m.y) || (x == m.x && y == m.y))\n"
        "            return m;\n"
        "    }\n"
        "    return fallback;\n"
        "}\n"
        "var all = desktops();\n"
        "for (var i = 0; i < all.length; i++) {\n"
        "    var d = all[i];\n"
        "    var picture = pictureFor(screenGeometry(d.screen));\n"
        "    d.wallpaperPlugin = \"org.kde.image\";\n"
        "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
        "    d.writeConfig(\"Image\", picture.image);\n"
        "    if (picture.fillMode >= 0)\n"
        "        d.writeConfig(\"FillMode\", picture.fillMode);\n"
        "}\n");
    return body;
}

Result<void> PlasmaBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    return evaluate(script(path, style));
}

Result<void> PlasmaBackend::clear() {
    return evaluate(clearScript());
}

Result<void> PlasmaBackend::applyPerMonitor(const MonitorPictureWriter &writePicture,
                                            const QList<Monitor> &monitors, const QString &path,
                                            WallpaperStyle style) {
    QList<MonitorPicture> pictures;
    for (const Monitor &monitor : monitors) {
        const Result<QString> own = writePicture(monitor.name, monitor.rect.size());
        if (!own)
            return own;
        pictures.append({monitor.rect, *own});
    }
    return evaluate(script(path, style, pictures));
}

Result<void> PlasmaBackend::evaluate(const QString &script) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Failure{QStringLiteral("No D-Bus session bus.")};
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << script;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return Failure{
            QStringLiteral("Plasma refused the wallpaper: %1").arg(reply.errorMessage())};
    return {};
}
