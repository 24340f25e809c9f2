#pragma once

#include <QList>
#include <QString>

// The machine's volumes as the browser's drive list shows them, and the
// drive-type codes the browser's warnings are keyed on.
class Drives {
public:
    enum Type {
        Unknown = 0,
        InvalidRoot = 1,
        Removable = 2,
        Fixed = 3,
        Remote = 4,
        CdRom = 5,
        RamDisk = 6,
    };

    struct Volume {
        QString rootPath; // mount point, or the home folder for its own entry
        QString label;    // what the drive list shows: the volume's label or its folder's name
        QString device;
        QString fileSystemType;
        Type type = Unknown;
    };

    // mountTable is a file in /proc/self/mounts format; sysBlock the folder
    // that holds one folder per block device (/sys/class/block); byLabel the
    // folder of links named after the volumes' labels (/dev/disk/by-label).
    explicit Drives(QString mountTable = QStringLiteral("/proc/self/mounts"),
                    QString sysBlock = QStringLiteral("/sys/class/block"),
                    QString byLabel = QStringLiteral("/dev/disk/by-label"));

    // Re-reads the mount table: "/" first, then the home folder, then the
    // other mounted volumes by path. Only places a user keeps pictures on
    // are listed: no pseudo file systems, RAM disks or files mounted into
    // sandboxes.
    QList<Volume> volumes() const;

    // The type of the volume holding path. Paths on network volumes are not
    // touched, so a hung share cannot block the caller.
    Type typeOf(const QString &path) const;
    // The volume holding path: the longest mount point that is a prefix of it.
    Volume volumeOf(const QString &path) const;
    // The same choice among the given volumes: the index of the one whose
    // root is the longest prefix of path, or -1.
    static int indexHolding(const QList<Volume> &volumes, const QString &path);

    static QString typeText(Type type);

private:
    QList<Volume> mounted() const;
    static Volume volumeIn(const QList<Volume> &volumes, const QString &path);
    Type classify(const QString &device, const QString &fileSystemType,
                  const QString &mountPoint) const;
    bool isRemovableDevice(const QString &device) const;
    QString labelOf(const Volume &volume) const;

    QString m_mountTable;
    QString m_sysBlock;
    QString m_byLabel;
};
