#include "drives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDrives : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_table;
    QString m_sysBlock;

    QString folder(const QString &relative) {
        const QString path = m_root.filePath(relative);
        QDir().mkpath(path);
        return path;
    }

    void writeTable(const QStringList &lines) {
        QFile file(m_table);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join(QLatin1Char('\n')).toUtf8() + "\n");
    }

    // A disk in the fake /sys/class/block, with its partitions below it.
    void addBlockDevice(const QString &disk, bool removable, const QStringList &partitions) {
        const QString diskFolder = folder(QStringLiteral("devices/") + disk);
        QFile flag(diskFolder + QStringLiteral("/removable"));
        QVERIFY(flag.open(QIODevice::WriteOnly));
        flag.write(removable ? "1\n" : "0\n");
        QFile::link(diskFolder, m_sysBlock + QLatin1Char('/') + disk);
        for (const QString &partition : partitions) {
            const QString partFolder = folder(QStringLiteral("devices/%1/%2").arg(disk, partition));
            QFile::link(partFolder, m_sysBlock + QLatin1Char('/') + partition);
        }
    }

private Q_SLOTS:
    void init() {
        m_table = m_root.filePath(QStringLiteral("mounts"));
        m_sysBlock = folder(QStringLiteral("sysblock"));
    }

    void typeOf_mapsMountTableToDriveTypes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("fixed ext4") << "/dev/sda1 %1 ext4 rw 0 0" << 3 << "Fixed Drive";
        QTest::newRow("cd") << "/dev/sr0 %1 iso9660 ro 0 0" << 5 << "CD-ROM Drive";
        QTest::newRow("dvd udf") << "/dev/sr0 %1 udf ro 0 0" << 5 << "CD-ROM Drive";
        QTest::newRow("usb stick") << "/dev/sdb1 %1 vfat rw 0 0" << 2 << "Removable Drive";
        QTest::newRow("nfs") << "server:/pictures %1 nfs4 rw 0 0" << 4 << "Remote Drive";
        QTest::newRow("samba") << "//nas/share %1 cifs rw 0 0" << 4 << "Remote Drive";
        QTest::newRow("sshfs") << "me@host: %1 fuse.sshfs rw 0 0" << 4 << "Remote Drive";
        QTest::newRow("ram disk") << "tmpfs %1 tmpfs rw 0 0" << 6 << "";
    }

    void typeOf_mapsMountTableToDriveTypes() {
        QFETCH(QString, line);
        QFETCH(int, type);
        QFETCH(QString, text);
        addBlockDevice(QStringLiteral("sda"), false, {QStringLiteral("sda1")});
        addBlockDevice(QStringLiteral("sdb"), true, {QStringLiteral("sdb1")});
        const QString mountPoint = folder(QStringLiteral("mnt/volume"));
        writeTable({QStringLiteral("/dev/sda1 / ext4 rw 0 0"), line.arg(mountPoint)});
        const Drives drives(m_table, m_sysBlock);

        const QString inside = folder(QStringLiteral("mnt/volume/pictures"));
        QCOMPARE(int(drives.typeOf(inside)), type);
        QCOMPARE(Drives::typeText(drives.typeOf(inside)), text);
        QCOMPARE(drives.volumeOf(inside).rootPath, mountPoint);
    }

    void typeOf_missingFolderIsInvalidButRemoteIsNeverTouched() {
        const QString share = folder(QStringLiteral("share"));
        writeTable({QStringLiteral("/dev/sda1 / ext4 rw 0 0"),
                    QStringLiteral("server:/x %1 nfs rw 0 0").arg(share)});
        const Drives drives(m_table, m_sysBlock);
        QCOMPARE(drives.typeOf(m_root.filePath(QStringLiteral("gone/away"))), Drives::InvalidRoot);
        QCOMPARE(drives.typeOf(QString()), Drives::InvalidRoot);
        QCOMPARE(Drives::typeText(Drives::InvalidRoot), QStringLiteral("??"));
        QCOMPARE(Drives::typeText(Drives::Unknown), QStringLiteral("Unknown"));
        // A share that is not up must still answer at once, so it is not asked.
        QCOMPARE(drives.typeOf(share + QStringLiteral("/not/mounted/yet")), Drives::Remote);
    }

    void volumes_listRootHomeAndRealVolumesOnly() {
        const QString media = folder(QStringLiteral("media/stick"));
        const QString photos = folder(QStringLiteral("mnt/my photos"));
        const QString share = m_root.filePath(QStringLiteral("mnt/share"));
        const QString labels = folder(QStringLiteral("by-label"));
        QFile device(m_root.filePath(QStringLiteral("sdd1")));
        QVERIFY(device.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(device.fileName(), labels + QStringLiteral("/Holiday\\x20Photos")));
        writeTable(
            {QStringLiteral("/dev/sda1 / ext4 rw 0 0"), QStringLiteral("proc /proc proc rw 0 0"),
             QStringLiteral("sysfs /sys sysfs rw 0 0"), QStringLiteral("tmpfs /run tmpfs rw 0 0"),
             QStringLiteral("tmpfs %1 tmpfs rw 0 0").arg(folder(QStringLiteral("ram"))),
             QStringLiteral("cgroup2 /sys/fs/cgroup cgroup2 rw 0 0"),
             QStringLiteral("/dev/loop3 /snap/core/1 squashfs ro 0 0"),
             QStringLiteral("/dev/vda %1 ext4 rw 0 0").arg(m_table),
             QStringLiteral("overlay %1 overlay rw 0 0").arg(folder(QStringLiteral("ovl"))),
             QStringLiteral("/dev/sdb1 %1 vfat rw 0 0").arg(media),
             QStringLiteral("/dev/sdc1 /run/media/me/CAMERA vfat rw 0 0"),
             QStringLiteral("server:/x %1 nfs4 rw 0 0").arg(share),
             QStringLiteral("%1 %2 ext4 rw 0 0")
                 .arg(device.fileName(), QString(photos).replace(' ', "\\040"))});
        const Drives drives(m_table, m_sysBlock, labels);
        QStringList shown;
        for (const Drives::Volume &volume : drives.volumes())
            shown.append(volume.rootPath + QLatin1Char('=') + volume.label);
        // The share is listed though its folder is missing: it is never asked.
        QCOMPARE(shown, QStringList({QStringLiteral("/=/"),
                                     QDir::cleanPath(QDir::homePath()) + QStringLiteral("=Home"),
                                     media + QStringLiteral("=stick"),
                                     photos + QStringLiteral("=Holiday Photos"),
                                     share + QStringLiteral("=share")}));
        QCOMPARE(drives.volumeOf(QStringLiteral("/run/media/me/CAMERA/DCIM")).type,
                 Drives::Removable);
    }

    void volumes_unreadableMountTableStillOffersRoot() {
        const Drives drives(m_root.filePath(QStringLiteral("no-such-table")), m_sysBlock);
        const QList<Drives::Volume> volumes = drives.volumes();
        QVERIFY(!volumes.isEmpty());
        QCOMPARE(volumes.first().rootPath, QStringLiteral("/"));
        QCOMPARE(drives.typeOf(QDir::homePath()), Drives::Fixed);
    }
};

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
