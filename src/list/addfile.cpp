#include "addfile.h"

#include "picturefile.h"
#include "settingsstore.h"
#include "uprightsize.h"
#include "wallpaperlist.h"

#include <QImageReader>

#include <climits>

MeasuredPicture measurePicture(const QString &path) {
    const Result<std::unique_ptr<QFile>> file = openPictureFile(path);
    if (!file)
        return {path, {}, QStringLiteral("%1 is not a readable file.").arg(path)};
    QImageReader reader(file->get());
    const QSize size = uprightSize(reader);
    // A header alone can lie; a file whose format we cannot even identify is no picture.
    if (!size.isValid() || size.isEmpty() || !reader.canRead())
        return {path, {}, QStringLiteral("%1 is not a picture Rotafond can show.").arg(path)};
    return {path, size, {}};
}

AddResult addMeasuredToList(WallpaperList &list, const MeasuredPicture &picture,
                            const NewEntryDefaults &defaults, QSize fallbackThreshold) {
    if (!picture.error.isEmpty())
        return {false, picture.error};
    for (const WallpaperEntry &existing : list.entries())
        if (existing.filePath == picture.path)
            return {false, {}, true};
    const int width =
        SettingsStore::toInt(defaults.thresholdWidth, fallbackThreshold.width(), INT_MIN, INT_MAX);
    const int height = SettingsStore::toInt(defaults.thresholdHeight, fallbackThreshold.height(),
                                            INT_MIN, INT_MAX);
    const QSize size = picture.size;
    const bool small = width > size.width() || height > size.height();
    WallpaperEntry entry{picture.path, small ? defaults.resizeSmall : defaults.resizeLarge,
                         small ? defaults.proportionalSmall : defaults.proportionalLarge,
                         small ? defaults.tiledSmall : defaults.tiledLarge};
    list.append(entry);
    return {true, {}};
}

AddResult addFileToList(WallpaperList &list, const QString &path, const NewEntryDefaults &defaults,
                        QSize fallbackThreshold) {
    return addMeasuredToList(list, measurePicture(path), defaults, fallbackThreshold);
}
