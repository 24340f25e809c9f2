#include "drives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A fake mount table, /sys/class/block and /dev/disk/by-label.
class TestDrives : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_table = m_root.filePath("mounts");
    QString m_sysBlock = folder("sysblock");

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

    // A disk in the fake /sys/class/block with one partition below it.
    void addBlockDevice(const QString &disk, bool removable) {
        const QString diskFolder = folder("devices/" + disk);
        QFile flag(diskFolder + "/removable");
        QVERIFY(flag.open(QIODevice::WriteOnly) && flag.write(removable ? "1\n" : "0\n") == 2);
        QFile::link(diskFolder, m_sysBlock + '/' + disk);
        QFile::link(folder("devices/" + disk + "/" + disk + "1"), m_sysBlock + '/' + disk + "1");
    }

private Q_SLOTS:
    void typeOf_followsTheMountTable_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Drives::Type>("type");
        QTest::newRow("fixed ext4") << "/dev/sda1 %1 ext4 rw 0 0" << Drives::Fixed;
        QTest::newRow("cd") << "/dev/sr0 %1 iso9660 ro 0 0" << Drives::CdRom;
        QTest::newRow("dvd udf") << "/dev/sr0 %1 udf ro 0 0" << Drives::CdRom;
        QTest::newRow("usb stick") << "/dev/sdb1 %1 vfat rw 0 0" << Drives::Removable;
        QTest::newRow("nfs") << "server:/pictures %1 nfs4 rw 0 0" << Drives::Remote;
        QTest::newRow("samba") << "//nas/share %1 cifs rw 0 0" << Drives::Remote;
        QTest::newRow("sshfs") << "me@host: %1 fuse.sshfs rw 0 0" << Drives::Remote;
        QTest::newRow("ram disk") << "tmpfs %1 tmpfs rw 0 0" << Drives::RamDisk;
    }

    void typeOf_followsTheMountTable() {
        QFETCH(QString, line);
        QFETCH(Drives::Type, type);
        addBlockDevice("sda", false);
        addBlockDevice("sdb", true);
        const QString mountPoint = folder("mnt/volume");
        writeTable({"/dev/sda1 / ext4 rw 0 0", line.arg(mountPoint)});
        const Drives drives(m_table, m_sysBlock);
        const QString inside = folder("mnt/volume/pictures");
        QCOMPARE(drives.typeOf(inside), type);
        QCOMPARE(drives.volumeOf(inside).rootPath, mountPoint);
    }

    void typeOf_missingFolderIsInvalidButRemoteIsNeverTouched() {
        const QString share = folder("share");
        writeTable(
            {"/dev/sda1 / ext4 rw 0 0", QStringLiteral("server:/x %1 nfs rw 0 0").arg(share)});
        const Drives drives(m_table, m_sysBlock);
        QCOMPARE(drives.typeOf(m_root.filePath("gone/away")), Drives::InvalidRoot);
        QCOMPARE(drives.typeOf(QString()), Drives::InvalidRoot);
        // A share that is not up must still answer at once, so it is not asked.
        QCOMPARE(drives.typeOf(share + "/not/mounted/yet"), Drives::Remote);
    }

    void volumes_listRootHomeAndRealVolumesOnly() {
        const QString media = folder("media/stick");
        const QString photos = folder("mnt/my photos");
        const QString share = m_root.filePath("mnt/share");
        const QString labels = folder("by-label");
        QFile device(m_root.filePath("sdd1"));
        QVERIFY(device.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(device.fileName(), labels + "/Holiday\\x20Photos"));
        writeTable(
            {"/dev/sda1 / ext4 rw 0 0", "proc /proc proc rw 0 0", "sysfs /sys sysfs rw 0 0",
             "tmpfs /run tmpfs rw 0 0", QStringLiteral("tmpfs %1 tmpfs rw 0 0").arg(folder("ram")),
             "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0", "/dev/loop3 /snap/core/1 squashfs ro 0 0",
             QStringLiteral("/dev/vda %1 ext4 rw 0 0").arg(m_table),
             QStringLiteral("overlay %1 overlay rw 0 0").arg(folder("ovl")),
             QStringLiteral("/dev/sdb1 %1 vfat rw 0 0").arg(media),
             "/dev/sdc1 /run/media/me/CAMERA vfat rw 0 0",
             QStringLiteral("server:/x %1 nfs4 rw 0 0").arg(share),
             QStringLiteral("%1 %2 ext4 rw 0 0")
                 .arg(device.fileName(), QString(photos).replace(' ', "\\040"))});
        const Drives drives(m_table, m_sysBlock, labels);
        QStringList shown;
        for (const Drives::Volume &volume : drives.volumes())
            shown.append(volume.rootPath + '=' + volume.label);
        // The share is listed though its folder is missing: it is never asked.
        QCOMPARE(shown,
                 QStringList({"/=/", QDir::cleanPath(QDir::homePath()) + "=Home", media + "=stick",
                              photos + "=Holiday Photos", share + "=share"}));
        QCOMPARE(drives.volumeOf("/run/media/me/CAMERA/DCIM").type, Drives::Removable);
    }

    void volumes_unreadableMountTableStillOffersRoot() {
        const Drives drives(m_root.filePath("no-such-table"), m_sysBlock);
        QCOMPARE(drives.volumes().value(0).rootPath, "/");
        QCOMPARE(drives.typeOf(QDir::homePath()), Drives::Fixed);
    }
};

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
