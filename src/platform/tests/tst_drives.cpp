#include "drives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A fake mount table, /sys/class/block and /dev/disk/by-label.
class TestDrives : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

    QString folder(const QString &relative) {
        QDir().mkpath(m_root.filePath(relative));
        return m_root.filePath(relative);
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
        QFile device(m_root.filePath("sdd1"));
        QVERIFY(device.open(QIODevice::WriteOnly) &&
                QFile::link(device.fileName(), folder("by-label") + "/Holiday\\x20Photos"));
        const QString photos = folder("mnt/my photos");
        QStringList table{
            "/dev/sda1 / ext4", "proc /proc proc", "sysfs /sys sysfs", "tmpfs /run tmpfs",
            "cgroup2 /sys/fs/cgroup cgroup2", "/dev/loop3 /snap/core/1 squashfs",
            // A file mounted into a sandbox.
            "/dev/vda " + m_root.filePath("mounts") + " ext4",
            "server:/x " + m_root.filePath("nfs") + " nfs4", "/dev/sdc1 /run/media/me/CAMERA vfat",
            device.fileName() + ' ' + QString(photos).replace(' ', "\\040") + " ext4"};
        for (const char *line :
             {"tmpfs ram tmpfs", "overlay ovl overlay", "/dev/sda1 data ext4",
              "/dev/sdb1 media/stick vfat", "/dev/sr0 cd iso9660", "/dev/sr1 dvd udf",
              "//nas/share samba cifs", "me@host: sshfs fuse.sshfs"}) {
            const QStringList words = QString::fromLatin1(line).split(' ');
            table.append(words.at(0) + ' ' + folder(words.at(1)) + ' ' + words.at(2));
        }
        QFile mounts(m_root.filePath("mounts"));
        QVERIFY(mounts.open(QIODevice::WriteOnly) &&
                mounts.write(table.join(" rw 0 0\n").toUtf8() + " rw 0 0\n") > 0);
        mounts.close();
        const Drives drives(mounts.fileName(), sysBlock, m_root.filePath("by-label"));
        const auto entry = [](const QString &rootPath, const QString &label, Drives::Type type) {
            return QStringLiteral("%1=%2 (%3)").arg(rootPath, label).arg(type);
        };
        QStringList shown;
        for (const Drives::Volume &volume : drives.volumes())
            shown.append(entry(volume.rootPath, volume.label, volume.type));
        // Not listed: pseudo file systems, RAM disks, system areas, files
        // mounted into sandboxes, missing folders. A network share is listed
        // though its folder is missing: it is never asked.
        const QString root = m_root.path() + '/';
        QCOMPARE(shown,
                 QStringList({entry("/", "/", Drives::Fixed),
                              entry(QDir::cleanPath(QDir::homePath()), "Home", Drives::Fixed),
                              entry(root + "cd", "cd", Drives::CdRom),
                              entry(root + "data", "data", Drives::Fixed),
                              entry(root + "dvd", "dvd", Drives::CdRom),
                              entry(root + "media/stick", "stick", Drives::Removable),
                              entry(photos, "Holiday Photos", Drives::Fixed),
                              entry(root + "nfs", "nfs", Drives::Remote),
                              entry(root + "samba", "samba", Drives::Remote),
                              entry(root + "sshfs", "sshfs", Drives::Remote)}));
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
