#include "wallpaperfiles.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

#include <unistd.h>

bool writeBmp(QIODevice &device, const QImage &image) {
    // 24-bit BI_RGB, rows bottom-up and padded to 4 bytes: the form every
    // desktop's loader reads. Rows are packed by hand into a chunk buffer,
    // several times faster than the generic image writer on a 24 MP photo.
    const QImage source =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
            ? image
            : image.convertToFormat(QImage::Format_RGB32);
    const int width = source.width();
    const int rowBytes = (width * 3 + 3) & ~3;
    const quint32 pixelBytes = quint32(rowBytes) * quint32(source.height());
    QByteArray header(54, '\0');
    QDataStream stream(&header, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream << quint16(0x4d42) << quint32(54 + pixelBytes) << quint32(0) << quint32(54);
    stream << quint32(40) << qint32(width) << qint32(source.height()) << quint16(1) << quint16(24)
           << quint32(0) << pixelBytes << qint32(3780) << qint32(3780) << quint32(0) << quint32(0);
    if (device.write(header) != header.size())
        return false;

    const int rowsPerChunk = std::max(1, (1 << 20) / rowBytes);
    QByteArray chunk(qsizetype(rowsPerChunk) * rowBytes, '\0');
    int rowsInChunk = 0;
    for (int y = source.height() - 1; y >= 0; --y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        uchar *out = reinterpret_cast<uchar *>(chunk.data()) + qsizetype(rowsInChunk) * rowBytes;
        for (int x = 0; x < width; ++x) {
            out[3 * x] = uchar(qBlue(in[x]));
            out[3 * x + 1] = uchar(qGreen(in[x]));
            out[3 * x + 2] = uchar(qRed(in[x]));
        }
        if (++rowsInChunk == rowsPerChunk || y == 0) {
            const qsizetype bytes = qsizetype(rowsInChunk) * rowBytes;
            if (device.write(chunk.constData(), bytes) != bytes)
                return false;
            rowsInChunk = 0;
        }
    }
    return true;
}

WallpaperFiles::WallpaperFiles(QString dataFolder)
    : m_dataFolder(std::move(dataFolder)) {}

QString WallpaperFiles::getWindowsFolder() const {
    QDir().mkpath(m_dataFolder);
    return addBackslash(m_dataFolder);
}

Result<void> WallpaperFiles::writeBitmap(const QImage &bitmap) const {
    return writeImage(bitmapPath(), bitmap);
}

Result<void> WallpaperFiles::writeImage(const QString &path, const QImage &bitmap) const {
    const QString folder = getWindowsFolder();
    if (!QFileInfo(folder).isDir())
        return Failure{QStringLiteral("Cannot create the folder %1.").arg(folder)};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeBmp(file, bitmap) || !file.commit())
        return Failure{
            QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString())};
    return {};
}

namespace {

const QString NumberedName = QStringLiteral("Rotafond-%1.bmp");

struct NumberedCopy {
    qint64 number;
    QString name;
};

// The names handed out before, as found in the folder: Rotafond-<n>.bmp, and
// Rotafond-<n>-<monitor>.bmp for desktops that set each monitor on its own.
QList<NumberedCopy> numberedCopies(const QDir &folder) {
    QList<NumberedCopy> copies;
    for (const QString &name : folder.entryList({QStringLiteral("Rotafond-*.bmp")}, QDir::Files)) {
        qsizetype end = 9;
        while (end < name.size() && name.at(end).isDigit())
            ++end;
        bool ok = false;
        const qint64 number = name.mid(9, end - 9).toLongLong(&ok);
        if (ok && number > 0 &&
            (name.at(end) == QLatin1Char('.') || name.at(end) == QLatin1Char('-')))
            copies.append({number, name});
    }
    return copies;
}

} // namespace

Result<QString> WallpaperFiles::freshlyNamedSpan(const QImage &desktop) {
    const QString span = getWindowsFolder() + QStringLiteral("Rotafond-spanned.bmp");
    if (const Result<void> written = writeImage(span, desktop); !written)
        return Failure{written.error()};
    return freshlyNamedCopy(span);
}

Result<QString> WallpaperFiles::freshlyNamedCopy() {
    return freshlyNamedCopy(bitmapPath());
}

Result<QString> WallpaperFiles::freshlyNamedCopy(const QString &source) {
    const QString folder = getWindowsFolder();
    // A desktop may keep the picture it once read under a name for as long as
    // it runs (GNOME Shell does), so a name is never handed out twice: the
    // number goes on from the last one, which is kept beside the bitmap and
    // checked against the names still in the folder.
    const QString lastName = folder + QStringLiteral("Rotafond.last");
    const QList<NumberedCopy> existing = numberedCopies(QDir(folder));
    if (m_generation == 0) {
        QFile last(lastName);
        if (last.open(QIODevice::ReadOnly))
            m_generation = std::max(0LL, last.read(20).trimmed().toLongLong());
        for (const NumberedCopy &copy : existing)
            m_generation = std::max(m_generation, copy.number);
    }
    ++m_generation;
    const QString copy = folder + NumberedName.arg(m_generation);
    QFile::remove(copy);
    // A hard link costs nothing; a copy serves where links are not allowed.
    if (::link(QFile::encodeName(source).constData(), QFile::encodeName(copy).constData()) != 0 &&
        !QFile::copy(source, copy))
        return Failure{QStringLiteral("Cannot write %1.").arg(copy)};
    QSaveFile last(lastName);
    if (!last.open(QIODevice::WriteOnly) || last.write(QByteArray::number(m_generation)) < 0 ||
        !last.commit())
        return Failure{QStringLiteral("Cannot write %1: %2").arg(lastName, last.errorString())};
    // The desktop may still be fading from the previous one; older ones go.
    for (const NumberedCopy &old : existing)
        if (old.number < m_generation - 1)
            QFile::remove(folder + old.name);
    return copy;
}

Result<QString> WallpaperFiles::monitorPicture(const QString &monitor,
                                               const QImage &picture) const {
    QString safeName = monitor;
    for (QChar &c : safeName)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    // Desktops that reload an unchanged name get one name per monitor.
    const QString path =
        getWindowsFolder() +
        (m_generation > 0 ? QStringLiteral("Rotafond-%1-%2.bmp").arg(m_generation).arg(safeName)
                          : QStringLiteral("Rotafond-%1.bmp").arg(safeName));
    if (const Result<void> written = writeImage(path, picture); !written)
        return Failure{written.error()};
    return path;
}
