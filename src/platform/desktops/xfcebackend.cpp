#include "xfcebackend.h"

#include "programrunner.h"

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
        break;
    }
    return 0;
}

} // namespace

XfceBackend::XfceBackend(QString monitorName)
    : m_monitorName(std::move(monitorName)) {}

ApplyResult XfceBackend::apply(const QString &path, const QImage &, WallpaperStyle style) {
    QString listing;
    const ApplyResult listed = runProgram(QStringLiteral("xfconf-query"),
                                          {QStringLiteral("-c"), Channel, QStringLiteral("-p"),
                                           QStringLiteral("/backdrop"), QStringLiteral("-l")},
                                          &listing);
    QStringList images;
    for (const QString &line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString property = line.trimmed();
        if (property.endsWith(QLatin1String("/last-image")) && !images.contains(property))
            images.append(property);
    }
    // A desktop that never had a picture has no properties yet (or no channel).
    if (!listed.ok || images.isEmpty())
        images = {
            QStringLiteral("/backdrop/screen0/monitor%1/workspace0/last-image").arg(m_monitorName)};
    for (const QString &image : images) {
        const QString stylePath = image.chopped(int(sizeof("last-image") - 1)) + "image-style";
        if (style != WallpaperStyle::Unchanged) {
            const ApplyResult styled =
                setProperty(stylePath, QStringLiteral("int"), QString::number(imageStyle(style)));
            if (!styled.ok)
                return styled;
        }
        if (style == WallpaperStyle::Clear)
            continue;
        // XFCE ignores a path it already shows: clear it first so it reloads.
        setProperty(image, QStringLiteral("string"), QString());
        const ApplyResult set = setProperty(image, QStringLiteral("string"), path);
        if (!set.ok)
            return set;
    }
    return {};
}
