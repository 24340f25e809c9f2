#include "addfile.h"

#include "fileexists.h"
#include "settingsstore.h"
#include "uprightsize.h"
#include "wallpaperlist.h"

#include <QImageReader>

#include <climits>

AddResult addFileToList(WallpaperList &list, const QString &path, const NewEntryDefaults &defaults,
                        QSize fallbackThreshold) {
    if (!fileExists(path))
        return {false, QStringLiteral("%1 is not a readable file.").arg(path)};
    QImageReader reader(path);
    const QSize size = uprightSize(reader);
    // A header alone can lie; a file whose format we cannot even identify is no picture.
    if (!size.isValid() || size.isEmpty() || !reader.canRead())
        return {false, QStringLiteral("%1 is not a picture Rotafond can show.").arg(path)};

    const int width =
        SettingsStore::toInt(defaults.thresholdWidth, fallbackThreshold.width(), INT_MIN, INT_MAX);
    const int height = SettingsStore::toInt(defaults.thresholdHeight, fallbackThreshold.height(),
                                            INT_MIN, INT_MAX);
    const bool small = width > size.width() || height > size.height();
    WallpaperEntry entry{path, small ? defaults.resizeSmall : defaults.resizeLarge,
                         small ? defaults.proportionalSmall : defaults.proportionalLarge,
                         small ? defaults.tiledSmall : defaults.tiledLarge};
    list.append(entry);
    return {true, {}};
}
