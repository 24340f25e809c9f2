#include "drives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString entry(const QString &rootPath, const QString &label, Drives::Type type) {
    return QStringLiteral("%1=%2 (%3)").arg(rootPath, label).arg(type);
}

} // namespace

// A fake mount table, /sys/class/block and /dev/disk/by-label.
class TestDrives : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_table = m_root.filePath("mounts");

    QString folder(const QString &relative) {
        const QString path = m_root.filePath(relative);
        QDir().mkpath(path);
        return path;
    }

    void writeTable(const QStringList &lines) {
        QFile file(m_table);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join('\n').toUtf8() + "\n");
    }

private Q_SLOTS:
    void volumes_listRealVolumesWithTheirTypes() {
        // Two disks, one removable, with a partition each.
        const QString sysBlock = folder("sysblock");
        for (const auto &[disk, removable] : {std::pair{"sda", "0"}, {"sdb", "1"}}) {
            QFile flag(folder(QStringLiteral("devices/%1").arg(disk)) + "/removable");
            QVERIFY(flag.open(QIODevice::WriteOnly) && flag.write(removable) == 1);
            QFile::link(m_root.filePath("devices/") + disk, sysBlock + '/' + disk);
            QFile::link(folder(QStringLiteral("devices/%1/%1").arg(disk) + "1"),
                        sysBlock + '/' + disk + "1");
        }
        const QString labels = folder("by-label");
        QFile device(m_root.filePath("sdd1"));
        QVERIFY(device.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(device.fileName(), labels + "/Holiday\\x20Photos"));
        const QString photos = folder("mnt/my photos");
        const auto at = [this](const char *line, const char *place) {
            return QString::fromLatin1(line).arg(folder(QLatin1String(place)));
        };
        writeTable(
            {"/dev/sda1 / ext4 rw 0 0", "proc /proc proc rw 0 0", "sysfs /sys sysfs rw 0 0",
             "tmpfs /run tmpfs rw 0 0", at("tmpfs %1 tmpfs rw 0 0", "ram"),
             "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0", "/dev/loop3 /snap/core/1 squashfs ro 0 0",
             QStringLiteral("/dev/vda %1 ext4 rw 0 0").arg(m_table),
             at("overlay %1 overlay rw 0 0", "ovl"), at("/dev/sda1 %1 ext4 rw 0 0", "data"),
             at("/dev/sdb1 %1 vfat rw 0 0", "media/stick"), at("/dev/sr0 %1 iso9660 ro 0 0", "cd"),
             at("/dev/sr1 %1 udf ro 0 0", "dvd"), at("//nas/share %1 cifs rw 0 0", "samba"),
             at("me@host: %1 fuse.sshfs rw 0 0", "sshfs"),
             QStringLiteral("server:/x %1 nfs4 rw 0 0").arg(m_root.filePath("nfs")),
             "/dev/sdc1 /run/media/me/CAMERA vfat rw 0 0",
             QStringLiteral("%1 %2 ext4 rw 0 0")
                 .arg(device.fileName(), QString(photos).replace(' ', "\\040"))});
        const Drives drives(m_table, sysBlock, labels);
        QStringList shown;
        for (const Drives::Volume &volume : drives.volumes())
            shown.append(entry(volume.rootPath, volume.label, volume.type));
        // Not listed: pseudo file systems, RAM disks, system areas, files
        // mounted into sandboxes, missing folders. A network share is listed
        // though its folder is missing: it is never asked.
        QCOMPARE(shown,
                 QStringList({entry("/", "/", Drives::Fixed),
                              entry(QDir::cleanPath(QDir::homePath()), "Home", Drives::Fixed),
                              entry(m_root.filePath("cd"), "cd", Drives::CdRom),
                              entry(m_root.filePath("data"), "data", Drives::Fixed),
                              entry(m_root.filePath("dvd"), "dvd", Drives::CdRom),
                              entry(m_root.filePath("media/stick"), "stick", Drives::Removable),
                              entry(photos, "Holiday Photos", Drives::Fixed),
                              entry(m_root.filePath("nfs"), "nfs", Drives::Remote),
                              entry(m_root.filePath("samba"), "samba", Drives::Remote),
                              entry(m_root.filePath("sshfs"), "sshfs", Drives::Remote)}));
        QCOMPARE(drives.typeOf(folder("ram/pictures")), Drives::RamDisk);
        QCOMPARE(drives.typeOf(folder("media/stick/DCIM")), Drives::Removable);
        QCOMPARE(drives.volumeOf("/run/media/me/CAMERA/DCIM").type, Drives::Removable);
        QCOMPARE(drives.typeOf(m_root.filePath("gone/away")), Drives::InvalidRoot);
        QCOMPARE(drives.typeOf(QString()), Drives::InvalidRoot);
        // A share that is not up must still answer at once, so it is not asked.
        QCOMPARE(drives.typeOf(m_root.filePath("nfs/not/mounted/yet")), Drives::Remote);
    }

    void volumes_unreadableMountTableStillOffersRoot() {
        const Drives drives(m_root.filePath("no-such-table"), m_root.filePath("no-sysblock"));
        QCOMPARE(drives.volumes().value(0).rootPath, "/");
        QCOMPARE(drives.typeOf(QDir::homePath()), Drives::Fixed);
    }
};

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
