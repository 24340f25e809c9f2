#include "xfcebackend.h"

#include "programrunner.h"
#include "x11connection.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace {

const QString Channel = QStringLiteral("xfce4-desktop");

ApplyResult setProperty(const QString &property, const QString &type, const QString &value) {
    // -n creates a missing property and changes an existing one.
    return runProgram(QStringLiteral("xfconf-query"),
                      {QStringLiteral("-c"), Channel, QStringLiteral("-p"), property,
                       QStringLiteral("-n"), QStringLiteral("-t"), type, QStringLiteral("-s"),
                       value});
}

int imageStyle(WallpaperStyle style) {
    switch (style) {
    case WallpaperStyle::Tile:
        return 2;
    case WallpaperStyle::Center:
        return 1;
    case WallpaperStyle::Stretch:
        return 3;
    case WallpaperStyle::Clear:
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
    QString configured;
    if (runProgram(QStringLiteral("xfconf-query"),
                   {QStringLiteral("-c"), QStringLiteral("xfwm4"), QStringLiteral("-p"),
                    QStringLiteral("/general/workspace_count")},
                   &configured)
            .ok)
        return std::clamp(configured.trimmed().toInt(), 1, 64);
    return 1;
}

// Sets one monitor and workspace: its style, and its picture or plain colour.
ApplyResult setImage(const QString &image, const QString &path, WallpaperStyle style) {
    const QString folder = image.chopped(int(strlen("last-image")));
    if (style != WallpaperStyle::Unchanged) {
        const ApplyResult styled =
            setProperty(folder + QLatin1String("image-style"), QStringLiteral("int"),
                        QString::number(imageStyle(style)));
        if (!styled.ok)
            return styled;
    }
    // A plain colour, not a gradient.
    if (style == WallpaperStyle::Clear)
        return setProperty(folder + QLatin1String("color-style"), QStringLiteral("int"),
                           QStringLiteral("0"));
    // XFCE ignores a path it already shows: clear it first so it reloads.
    setProperty(image, QStringLiteral("string"), QString());
    return setProperty(image, QStringLiteral("string"), path);
}

} // namespace

XfceBackend::XfceBackend(QStringList outputs)
    : m_outputs(std::move(outputs)) {}

ApplyResult XfceBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    return applyToEveryImage(m_outputs, [&](const QString &, QString *shown, WallpaperStyle *as) {
        *shown = path;
        *as = style;
        return ApplyResult{};
    });
}

ApplyResult XfceBackend::applyPerMonitor(const MonitorPictureWriter &writePicture,
                                         const QList<Monitor> &monitors, const QString &path,
                                         WallpaperStyle style) {
    QStringList outputs;
    for (const Monitor &monitor : monitors)
        outputs.append(monitor.name);
    QHash<QString, QString> written;
    return applyToEveryImage(
        outputs, [&](const QString &output, QString *shown, WallpaperStyle *as) {
            const auto monitor = std::find_if(monitors.cbegin(), monitors.cend(),
                                              [&](const Monitor &m) { return m.name == output; });
            if (monitor == monitors.cend()) {
                *shown = path;
                *as = style;
                return ApplyResult{};
            }
            if (!written.contains(output)) {
                QString error;
                written.insert(output, writePicture(output, monitor->rect.size(), &error));
                if (written.value(output).isEmpty())
                    return ApplyResult::failure(error);
            }
            *shown = written.value(output);
            *as = WallpaperStyle::Stretch;
            return ApplyResult{};
        });
}

ApplyResult XfceBackend::applyToEveryImage(const QStringList &outputs,
                                           const PictureFor &pictureFor) {
    QString listing;
    runProgram(QStringLiteral("xfconf-query"),
               {QStringLiteral("-c"), Channel, QStringLiteral("-p"), QStringLiteral("/backdrop"),
                QStringLiteral("-l")},
               &listing);
    QStringList images;
    for (const QString &line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
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
        return ApplyResult::failure(
            QStringLiteral("XFCE names no monitor to show the wallpaper on."));
    static const QRegularExpression monitorOf(QStringLiteral("/monitor([^/]*)/"));
    for (const QString &image : images) {
        QString path;
        WallpaperStyle style = WallpaperStyle::Unchanged;
        if (const ApplyResult chosen =
                pictureFor(monitorOf.match(image).captured(1), &path, &style);
            !chosen.ok)
            return chosen;
        if (const ApplyResult set = setImage(image, path, style); !set.ok)
            return set;
    }
    return {};
}
