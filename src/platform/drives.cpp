#include "drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

bool isPseudoFileSystem(const QString &type) {
    static const QStringList pseudo{
        QStringLiteral("proc"),        QStringLiteral("sysfs"),
        QStringLiteral("devtmpfs"),    QStringLiteral("devpts"),
        QStringLiteral("cgroup"),      QStringLiteral("cgroup2"),
        QStringLiteral("securityfs"),  QStringLiteral("debugfs"),
        QStringLiteral("tracefs"),     QStringLiteral("pstore"),
        QStringLiteral("bpf"),         QStringLiteral("mqueue"),
        QStringLiteral("hugetlbfs"),   QStringLiteral("configfs"),
        QStringLiteral("fusectl"),     QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"), QStringLiteral("nsfs"),
        QStringLiteral("efivarfs"),    QStringLiteral("rpc_pipefs"),
        QStringLiteral("squashfs"),    QStringLiteral("selinuxfs"),
        QStringLiteral("fuse.portal"), QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("overlay"),     QStringLiteral("fuse.lxcfs")};
    return pseudo.contains(type);
}

// System areas that are not places to keep pictures, whatever their type.
bool isSystemArea(const QString &mountPoint) {
    if (mountPoint.startsWith(QLatin1String("/run/media/")))
        return false;
    for (const char *area :
         {"/proc", "/sys", "/dev", "/run", "/snap", "/boot", "/var/lib", "/etc", "/usr"})
        if (mountPoint == QLatin1String(area) ||
            mountPoint.startsWith(QLatin1String(area) + QLatin1Char('/')))
            return true;
    return false;
}

// /proc/self/mounts writes blanks, tabs, newlines and backslashes as \ooo.
QString unescapeMountField(const QByteArray &field) {
    QByteArray plain;
    plain.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        bool ok = false;
        const int code = field[i] == '\\' ? field.mid(i + 1, 3).toInt(&ok, 8) : 0;
        if (ok && field.mid(i + 1, 3).size() == 3) {
            plain.append(char(code));
            i += 3;
        } else {
            plain.append(field[i]);
        }
    }
    return QString::fromUtf8(plain);
}

// udev writes blanks and other unsafe characters of a label as \xHH.
QString unescapeLabel(const QString &name) {
    QByteArray plain;
    const QByteArray bytes = name.toUtf8();
    for (int i = 0; i < bytes.size(); ++i) {
        bool ok = false;
        const int code = bytes.mid(i, 2) == "\\x" ? bytes.mid(i + 2, 2).toInt(&ok, 16) : 0;
        if (ok && bytes.mid(i + 2, 2).size() == 2) {
            plain.append(char(code));
            i += 3;
        } else {
            plain.append(bytes[i]);
        }
    }
    return QString::fromUtf8(plain);
}

bool isUnder(const QString &path, const QString &root) {
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

Drives::Drives(QString mountTable, QString sysBlock, QString byLabel)
    : m_mountTable(std::move(mountTable))
    , m_sysBlock(std::move(sysBlock))
    , m_byLabel(std::move(byLabel)) {}

QList<Drives::Volume> Drives::mounted() const {
    QList<Volume> result;
    QFile table(m_mountTable);
    if (!table.open(QIODevice::ReadOnly))
        return result;
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        Volume volume;
        volume.device = unescapeMountField(fields[0]);
        volume.rootPath = QDir::cleanPath(unescapeMountField(fields[1]));
        volume.fileSystemType = QString::fromLatin1(fields[2]);
        volume.type = classify(volume.device, volume.fileSystemType, volume.rootPath);
        // A later mount on the same point hides the earlier one.
        result.erase(std::remove_if(result.begin(), result.end(),
                                    [&](const Volume &v) { return v.rootPath == volume.rootPath; }),
                     result.end());
        result.append(volume);
    }
    return result;
}

QList<Drives::Volume> Drives::volumes() const {
    const QList<Volume> all = mounted();
    QList<Volume> result;
    Volume root = volumeIn(all, QStringLiteral("/"));
    root.rootPath = QStringLiteral("/");
    root.label = QStringLiteral("/");
    result.append(root);
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home != QLatin1String("/")) {
        Volume homeVolume = volumeIn(all, home);
        homeVolume.rootPath = home;
        homeVolume.label = QStringLiteral("Home");
        result.append(homeVolume);
    }
    QList<Volume> others;
    for (Volume volume : all) {
        if (volume.rootPath == QLatin1String("/") || volume.rootPath == home ||
            volume.type == RamDisk || isPseudoFileSystem(volume.fileSystemType) ||
            isSystemArea(volume.rootPath))
            continue;
        // Containers mount single files (resolv.conf, hosts): no place for
        // pictures. A network share is not asked, so a dead one cannot hang us.
        if (volume.type != Remote && !QFileInfo(volume.rootPath).isDir())
            continue;
        volume.label = labelOf(volume);
        others.append(volume);
    }
    std::sort(others.begin(), others.end(),
              [](const Volume &a, const Volume &b) { return a.rootPath < b.rootPath; });
    result.append(others);
    return result;
}

Drives::Volume Drives::volumeOf(const QString &path) const {
    return volumeIn(mounted(), path);
}

Drives::Volume Drives::volumeIn(const QList<Volume> &volumes, const QString &path) {
    const int index = indexHolding(volumes, path);
    if (index >= 0)
        return volumes.at(index);
    Volume root;
    root.rootPath = QStringLiteral("/");
    root.type = Fixed;
    return root;
}

int Drives::indexHolding(const QList<Volume> &volumes, const QString &path) {
    const QString clean =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::root().filePath(path));
    int best = -1;
    for (int index = 0; index < volumes.size(); ++index) {
        const QString &root = volumes.at(index).rootPath;
        if (isUnder(clean, root) && (best < 0 || root.size() > volumes.at(best).rootPath.size()))
            best = index;
    }
    return best;
}

Drives::Type Drives::typeOf(const QString &path) const {
    if (path.trimmed().isEmpty())
        return InvalidRoot;
    const Volume volume = volumeOf(path);
    if (volume.type == Remote)
        return Remote;
    if (!QFileInfo(path).isDir())
        return InvalidRoot;
    return volume.type;
}

Drives::Type Drives::classify(const QString &device, const QString &fileSystemType,
                              const QString &mountPoint) const {
    const QString type = fileSystemType.toLower();
    if (type == QLatin1String("iso9660") || type == QLatin1String("udf"))
        return CdRom;
    static const QStringList network{
        QStringLiteral("nfs"),         QStringLiteral("nfs4"),       QStringLiteral("cifs"),
        QStringLiteral("smb3"),        QStringLiteral("smbfs"),      QStringLiteral("9p"),
        QStringLiteral("afs"),         QStringLiteral("ceph"),       QStringLiteral("glusterfs"),
        QStringLiteral("davfs"),       QStringLiteral("fuse.sshfs"), QStringLiteral("sshfs"),
        QStringLiteral("fuse.rclone"), QStringLiteral("fuse.s3fs"),  QStringLiteral("fuse.davfs")};
    if (network.contains(type))
        return Remote;
    if (type == QLatin1String("tmpfs") || type == QLatin1String("ramfs"))
        return RamDisk;
    if (isRemovableDevice(device) || mountPoint.startsWith(QLatin1String("/media/")) ||
        mountPoint.startsWith(QLatin1String("/run/media/")))
        return Removable;
    return Fixed;
}

bool Drives::isRemovableDevice(const QString &device) const {
    if (!device.startsWith(QLatin1String("/dev/")))
        return false;
    // A partition has no "removable" of its own; its disk is the folder above it.
    QFileInfo entry(m_sysBlock + QLatin1Char('/') + device.mid(5));
    if (!entry.exists())
        return false;
    QDir folder(entry.canonicalFilePath());
    for (int level = 0; level < 2; ++level) {
        QFile flag(folder.filePath(QStringLiteral("removable")));
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
        if (!folder.cdUp())
            break;
    }
    return false;
}

QString Drives::labelOf(const Volume &volume) const {
    if (volume.type != Remote && volume.device.startsWith(QLatin1Char('/'))) {
        const QString device = QFileInfo(volume.device).canonicalFilePath();
        const QFileInfoList links = QDir(m_byLabel).entryInfoList(QDir::System | QDir::Files);
        for (const QFileInfo &link : links)
            if (!device.isEmpty() && link.canonicalFilePath() == device)
                return unescapeLabel(link.fileName());
    }
    return QFileInfo(volume.rootPath).fileName();
}

QString Drives::typeText(Type type) {
    switch (type) {
    case Unknown:
        return QStringLiteral("Unknown");
    case InvalidRoot:
        return QStringLiteral("??");
    case Removable:
        return QStringLiteral("Removable Drive");
    case Fixed:
        return QStringLiteral("Fixed Drive");
    case Remote:
        return QStringLiteral("Remote Drive");
    case CdRom:
        return QStringLiteral("CD-ROM Drive");
    case RamDisk:
        break;
    }
    return {};
}
