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

QString driveWarning(Drives::Type type) {
    QString first = QStringLiteral("I can add pictures from a network drive...");
    QString third = QStringLiteral("Is this a permanent connection...?");
    if (type == Drives::CdRom) {
        first = QStringLiteral("I can add pictures from a CD-ROM...");
        third = QStringLiteral("The CD-ROM will not stay there for ever...");
    } else if (type == Drives::Removable) {
        first = QStringLiteral("I can add pictures from a removable drive...");
        third = QStringLiteral("The media will not stay there for ever...");
    }
    return first + QStringLiteral("\nbut is that a good idea?\n") + third +
           QStringLiteral("\n\nBe sure there is a medium inserted and that the drive is "
                          "available.");
}
