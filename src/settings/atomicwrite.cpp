#include "atomicwrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Failure failure(int error) {
    return {qt_error_string(error)};
}

// 0, or the errno of the first folder that could not be made.
int makeFolders(const QByteArray &folder) {
    if (::mkdir(folder.constData(), 0777) == 0)
        return 0;
    int error = errno;
    if (error == ENOENT) {
        const qsizetype slash = folder.lastIndexOf('/');
        if (slash > 0) {
            if (const int parentError = makeFolders(folder.first(slash)))
                return parentError;
            if (::mkdir(folder.constData(), 0777) == 0)
                return 0;
            error = errno;
        }
    }
    if (error != EEXIST)
        return error;
    struct stat info;
    if (::stat(folder.constData(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

int writeAll(int fd, const QByteArray &data) {
    const char *next = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        next += written;
        left -= written;
    }
    return 0;
}

} // namespace

Result<void> writeFileAtomically(const QString &path, const QByteArray &data) {
    const QFileInfo link(path);
    const QString target = link.isSymLink() ? link.symLinkTarget() : link.absoluteFilePath();
    const QByteArray file = QFile::encodeName(target);
    if (const int error = makeFolders(QFile::encodeName(QFileInfo(target).absolutePath())))
        return failure(error);

    struct stat old;
    const bool exists = ::stat(file.constData(), &old) == 0;
    if (exists) {
        // Renaming over a read-only file would succeed; the user's protection wins.
        const int probe = ::open(file.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0)
            return failure(errno);
        ::close(probe);
    }

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = file + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failure(errno);
    }
    if (fd < 0)
        return failure(EEXIST);

    int error = exists ? (::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno) : 0;
    if (!error)
        error = writeAll(fd, data);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temporary.constData(), file.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return failure(error);
    }
    // The rename itself reaches the disk with the folder; a failure here cannot
    // be undone and the new file is in place, so it is not reported.
    const int folder = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                              O_RDONLY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}
