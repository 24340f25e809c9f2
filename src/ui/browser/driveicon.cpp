#include "driveicon.h"

#include <QDir>
#include <QStyle>

QIcon driveIcon(const Drives::Volume &volume, const QStyle &style) {
    if (volume.rootPath == QDir::cleanPath(QDir::homePath()))
        return QIcon::fromTheme(QStringLiteral("user-home"),
                                style.standardIcon(QStyle::SP_DirHomeIcon));
    switch (volume.type) {
    case Drives::Removable:
        return QIcon::fromTheme(QStringLiteral("drive-removable-media"),
                                style.standardIcon(QStyle::SP_DriveFDIcon));
    case Drives::CdRom:
        return QIcon::fromTheme(QStringLiteral("media-optical"),
                                style.standardIcon(QStyle::SP_DriveCDIcon));
    case Drives::Remote:
        return QIcon::fromTheme(QStringLiteral("network-server"),
                                QIcon::fromTheme(QStringLiteral("folder-remote"),
                                                 style.standardIcon(QStyle::SP_DriveNetIcon)));
    default:
        return QIcon::fromTheme(QStringLiteral("drive-harddisk"),
                                style.standardIcon(QStyle::SP_DriveHDIcon));
    }
}
