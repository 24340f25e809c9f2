#include "xfcebackend.h"

#include "programrunner.h"
#include "x11connection.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace {

const QString Channel = QStringLiteral("xfce4-desktop");

Result<void> setProperty(const QString &property, const QString &type, const QString &value) {
    // -n creates a missing property and changes an existing one.
    return runProgram(QStringLiteral("xfconf-query"),
                      {QStringLiteral("-c"), Channel, QStringLiteral("-p"), property,
                       QStringLiteral("-n"), QStringLiteral("-t"), type, QStringLiteral("-s"),
                       value});
}

// image-style: 0 no picture, 1 centred, 2 tiled, 3 stretched.
int imageStyle(WallpaperStyle style) {
    switch (style) {
    case WallpaperStyle::Tile:
        return 2;
    case WallpaperStyle::Center:
        return 1;
    case WallpaperStyle::Stretch:
        return 3;
    case WallpaperStyle::Unchanged:
    case WallpaperStyle::Span:
        break;
    }
    return 0;
}

// The window manager's _NET_NUMBER_OF_DESKTOPS; 0 when it does not say.
int announcedWorkspaces() {
    const X11Connection connection;
    const xcb_screen_t *screen = connection.screen();
    if (!screen)
        return 0;
    return int(propertyValue(connection.get(), screen->root,
                             internAtom(connection.get(), "_NET_NUMBER_OF_DESKTOPS"),
                             XCB_ATOM_CARDINAL));
}

// Without a running window manager xfwm4's own setting says how many there will be.
int workspaceCount() {
    if (const int announced = announcedWorkspaces(); announced > 0)
        return std::min(announced, 64);
    if (const Result<QString> configured =
            runProgram(QStringLiteral("xfconf-query"),
                       {QStringLiteral("-c"), QStringLiteral("xfwm4"), QStringLiteral("-p"),
                        QStringLiteral("/general/workspace_count")}))
        return std::clamp(configured->trimmed().toInt(), 1, 64);
    return 1;
}

QString folderOf(const QString &image) {
    return image.chopped(int(strlen("last-image")));
}

// Sets one monitor and workspace: its style and its picture.
Result<void> setImage(const QString &image, const QString &path, WallpaperStyle style) {
    if (style != WallpaperStyle::Unchanged) {
        if (const Result<void> styled =
                setProperty(folderOf(image) + QLatin1String("image-style"), QStringLiteral("int"),
                            QString::number(imageStyle(style)));
            !styled)
            return styled;
    }
    // XFCE ignores a path it already shows: clear it first so it reloads.
    if (const Result<void> emptied = setProperty(image, QStringLiteral("string"), QString());
        !emptied)
        return emptied;
    return setProperty(image, QStringLiteral("string"), path);
}

// Leaves one monitor and workspace with a plain colour, not a gradient.
Result<void> clearImage(const QString &image) {
    const QString folder = folderOf(image);
    if (const Result<void> styled = setProperty(folder + QLatin1String("image-style"),
                                                QStringLiteral("int"), QStringLiteral("0"));
        !styled)
        return styled;
    return setProperty(folder + QLatin1String("color-style"), QStringLiteral("int"),
                       QStringLiteral("0"));
}

} // namespace

XfceBackend::XfceBackend(QStringList outputs)
    : m_outputs(std::move(outputs)) {}

Result<void> XfceBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    return forEveryImage(m_outputs, [&](const QString &image, const QString &) {
        return setImage(image, path, style);
    });
}

Result<void> XfceBackend::clear() {
    return forEveryImage(m_outputs,
                         [](const QString &image, const QString &) { return clearImage(image); });
}

Result<void> XfceBackend::applyPerMonitor(const MonitorPictureWriter &writePicture,
                                          const QList<Monitor> &monitors, const QString &path,
                                          WallpaperStyle style) {
    QStringList outputs;
    for (const Monitor &monitor : monitors)
        outputs.append(monitor.name);
    QHash<QString, QString> written;
    return forEveryImage(outputs, [&](const QString &image, const QString &output) {
        const auto monitor = std::find_if(monitors.cbegin(), monitors.cend(),
                                          [&](const Monitor &m) { return m.name == output; });
        if (monitor == monitors.cend())
            return setImage(image, path, style);
        if (!written.contains(output)) {
            const Result<QString> own = writePicture(output, monitor->rect.size());
            if (!own)
                return Result<void>(own);
            written.insert(output, *own);
        }
        return setImage(image, written.value(output), WallpaperStyle::Stretch);
    });
}

Result<void> XfceBackend::forEveryImage(const QStringList &outputs, const SetImage &set) {
    // Before xfdesktop first ran there is no /backdrop to list: the
    // properties are then created below.
    const Result<QString> listing = runProgram(QStringLiteral("xfconf-query"),
                                               {QStringLiteral("-c"), Channel, QStringLiteral("-p"),
                                                QStringLiteral("/backdrop"), QStringLiteral("-l")});
    QStringList images;
    for (const QString &line :
         (listing ? *listing : QString()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString property = line.trimmed();
        if (property.endsWith(QLatin1String("/last-image")) && !images.contains(property))
            images.append(property);
    }
    // Before xfdesktop first ran only older monitor0-style keys may exist; it
    // then reads monitor<output>/workspace<N> and would show its own default.
    const int workspaces = workspaceCount();
    for (const QString &output : outputs)
        for (int workspace = 0; workspace < workspaces; ++workspace) {
            const QString image =
                QStringLiteral("/backdrop/screen0/monitor%1/workspace%2/last-image")
                    .arg(output)
                    .arg(workspace);
            if (!images.contains(image))
                images.append(image);
        }
    if (images.isEmpty())
        return Failure{QStringLiteral("XFCE names no monitor to show the wallpaper on.")};
    static const QRegularExpression monitorOf(QStringLiteral("/monitor([^/]*)/"));
    for (const QString &image : images)
        if (const Result<void> done = set(image, monitorOf.match(image).captured(1)); !done)
            return done;
    return {};
}
