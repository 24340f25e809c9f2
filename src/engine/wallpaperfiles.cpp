#include "wallpaperfiles.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <unistd.h>

QString addBackslash(const QString &path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

WallpaperFiles::WallpaperFiles(QString dataFolder)
    : m_dataFolder(std::move(dataFolder)) {}

QString WallpaperFiles::getWindowsFolder() const {
    QDir().mkpath(m_dataFolder);
    return addBackslash(m_dataFolder);
}

bool WallpaperFiles::writeBitmap(const QImage &bitmap, QString *error) const {
    const QString folder = getWindowsFolder();
    if (!QFileInfo(folder).isDir()) {
        *error = QStringLiteral("Cannot create the folder %1.").arg(folder);
        return false;
    }
    QSaveFile file(bitmapPath());
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    // BMP has no alpha worth keeping on a desktop; 24-bit keeps the file small.
    const QImage opaque = bitmap.convertToFormat(QImage::Format_RGB888);
    if (!opaque.save(&file, "BMP") || !file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

QString WallpaperFiles::freshlyNamedCopy(QString *error) {
    m_generation = m_generation % 2 + 1;
    const QString copy = getWindowsFolder() + QStringLiteral("Rotafond-%1.bmp").arg(m_generation);
    QFile::remove(copy);
    // A hard link costs nothing; a copy serves where links are not allowed.
    if (::link(QFile::encodeName(bitmapPath()).constData(), QFile::encodeName(copy).constData()) !=
            0 &&
        !QFile::copy(bitmapPath(), copy)) {
        *error = QStringLiteral("Cannot write %1.").arg(copy);
        return {};
    }
    return copy;
}
