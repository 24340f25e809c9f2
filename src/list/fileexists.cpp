#include "fileexists.h"

#include <QFileInfo>

namespace {

QString withoutTrailingSlash(const QString &path) {
    return path.endsWith(QLatin1Char('/')) ? path.chopped(1) : path;
}

} // namespace

bool fileExists(const QString &path) {
    const QString name = withoutTrailingSlash(path);
    if (name.isEmpty())
        return false;
    const QFileInfo info(name);
    return info.isFile() && info.isReadable();
}

bool fileIsDefinitelyGone(const QString &path) {
    const QString name = withoutTrailingSlash(path);
    if (name.isEmpty())
        return true;
    QFileInfo info(name);
    // A relative name (such as the store's "none") has no folder of its own to wait for.
    if (info.isRelative())
        return !info.exists();
    // A dangling link may point onto a drive that is not mounted yet: judge its target.
    if (info.isSymLink() && !info.exists())
        info = QFileInfo(info.symLinkTarget());
    if (info.exists())
        return false;
    const QFileInfo folder(info.absolutePath());
    return folder.isDir() && folder.isReadable() && folder.isExecutable();
}
