#include "picturefile.h"

#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace {

Failure systemError(const QString &path) {
    return {QStringLiteral("%1: %2").arg(
        path, QString::fromStdString(std::generic_category().message(errno)))};
}

} // namespace

Result<std::unique_ptr<QFile>> openPictureFile(const QString &path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemError(path);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return Failure{QStringLiteral("%1 is not a regular file.").arg(path)};
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        const Failure failure = systemError(path);
        ::close(fd);
        return failure;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const QString reason = QStringLiteral("%1: %2").arg(path, file->errorString());
        ::close(fd);
        return Failure{reason};
    }
    return file;
}

QStringList pictureNamePatterns() {
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        const QString suffix = QString::fromLatin1(format).toLower();
        patterns << QStringLiteral("*.") + suffix << QStringLiteral("*.") + suffix.toUpper();
    }
    patterns.removeDuplicates();
    return patterns;
}
