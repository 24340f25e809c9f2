#include "thumbnailcache.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QList>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include <sys/stat.h>

namespace {
const char *const UriKey = "Thumb::URI";
const char *const MTimeKey = "Thumb::MTime";
const char *const WidthKey = "Thumb::Image::Width";
const char *const HeightKey = "Thumb::Image::Height";

using Tags = QList<std::pair<QByteArray, QByteArray>>;

// The PNG chunk checksum (CRC-32 of ISO 3309).
quint32 crc32(const QByteArray &bytes) {
    static const auto table = [] {
        std::array<quint32, 256> entries{};
        for (quint32 n = 0; n < entries.size(); ++n) {
            quint32 c = n;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray textChunk(const QByteArray &key, const QByteArray &value) {
    const QByteArray body = QByteArrayLiteral("tEXt") + key + '\0' + value;
    return bigEndian(quint32(body.size() - 4)) + body + bigEndian(crc32(body));
}

// Qt stores text of 40 characters or more as compressed zTXt, which GLib and
// other readers of the cache ignore: drop whatever text Qt wrote and put the
// tags as plain tEXt chunks right after the header.
std::optional<QByteArray> withPlainText(const QByteArray &png, const Tags &tags) {
    constexpr qsizetype SignatureSize = 8;
    if (png.size() < SignatureSize)
        return std::nullopt;
    QByteArray result = png.left(SignatureSize);
    qsizetype at = SignatureSize;
    while (at < png.size()) {
        if (png.size() - at < 12)
            return std::nullopt;
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (length > quint32(png.size() - at - 12))
            return std::nullopt;
        const QByteArray type = png.mid(at + 4, 4);
        const qsizetype size = 12 + qsizetype(length);
        if (type != "tEXt" && type != "zTXt" && type != "iTXt")
            result += png.mid(at, size);
        if (type == "IHDR") {
            for (const auto &[key, value] : tags)
                result += textChunk(key, value);
        }
        at += size;
    }
    return result;
}

// The standard stores whole seconds; some writers (tumbler) add a fraction,
// which does not make their thumbnail stale.
bool sameModificationTime(const QString &stored, qint64 modified) {
    const qsizetype dot = stored.indexOf(QLatin1Char('.'));
    const QStringView whole = QStringView(stored).left(dot < 0 ? stored.size() : dot);
    const QStringView fraction = dot < 0 ? QStringView() : QStringView(stored).mid(dot + 1);
    return whole == QString::number(modified) &&
           std::all_of(fraction.begin(), fraction.end(), [](QChar c) { return c.isDigit(); });
}
} // namespace

ThumbnailCache::ThumbnailCache(QString folder)
    : m_folder(std::move(folder)) {}

QString ThumbnailCache::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/thumbnails");
}

QByteArray ThumbnailCache::uriOf(const QString &path) {
    // What GLib leaves unescaped in a file URI's path; every other byte, each
    // byte of a UTF-8 sequence included, becomes %XX in upper-case hex.
    constexpr std::string_view Kept = "!$&'()*+,-./:=@_~";
    constexpr std::string_view Hex = "0123456789ABCDEF";
    const QByteArray bytes = QFile::encodeName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    QByteArray uri = QByteArrayLiteral("file://");
    uri.reserve(uri.size() + bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = uchar(c);
        const bool alphanumeric = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                                  (byte >= '0' && byte <= '9');
        if (alphanumeric || Kept.find(c) != std::string_view::npos) {
            uri += c;
        } else {
            uri += '%';
            uri += Hex[byte >> 4];
            uri += Hex[byte & 15];
        }
    }
    return uri;
}

QString ThumbnailCache::fileFor(const QString &path) const {
    const QByteArray md5 = QCryptographicHash::hash(uriOf(path), QCryptographicHash::Md5).toHex();
    return m_folder + QStringLiteral("/large/") + QString::fromLatin1(md5) + QStringLiteral(".png");
}

std::optional<ThumbnailCache::Hit> ThumbnailCache::find(const QString &path,
                                                        qint64 modified) const {
    if (m_folder.isEmpty())
        return std::nullopt;
    // The tags are read from the decoded image: QImageReader::text() cuts
    // keys at their first colon.
    QImageReader reader(fileFor(path), "png");
    // Another program's large thumbnail is at most 256 pixels; anything else
    // is not a thumbnail, whatever its tags say.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > LargeSize || size.height() > LargeSize)
        return std::nullopt;
    const QImage image = reader.read();
    if (image.isNull() || image.text(QLatin1String(UriKey)).toUtf8() != uriOf(path) ||
        !sameModificationTime(image.text(QLatin1String(MTimeKey)), modified))
        return std::nullopt;
    Hit hit{image, QSize(image.text(QLatin1String(WidthKey)).toInt(),
                         image.text(QLatin1String(HeightKey)).toInt())};
    return hit;
}

// The standard wants the cache private to the user, but only what we create is
// ours to restrict: an existing folder, or a link to one, keeps its mode.
bool ThumbnailCache::makeFolders() const {
    const QString large = m_folder + QStringLiteral("/large");
    if (QFileInfo(large).isDir())
        return true;
    if (!QDir().mkpath(QFileInfo(m_folder).absolutePath()))
        return false;
    for (const QString &folder : {m_folder, large}) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return QFileInfo(large).isDir();
}

bool ThumbnailCache::store(const QString &path, qint64 modified, const QImage &thumbnail,
                           QSize originalSize) const {
    if (m_folder.isEmpty() || thumbnail.isNull())
        return false;
    // Thumbnails of thumbnails would only grow the cache.
    if (QFileInfo(path).absoluteFilePath().startsWith(m_folder + QLatin1Char('/')))
        return false;
    if (!makeFolders())
        return false;

    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, "png");
    writer.setCompression(1); // fast: the cache is read far more often than written
    if (!writer.write(thumbnail))
        return false;
    const Tags tags{{UriKey, uriOf(path)},
                    {MTimeKey, QByteArray::number(modified)},
                    {WidthKey, QByteArray::number(originalSize.width())},
                    {HeightKey, QByteArray::number(originalSize.height())},
                    {"Software", "Rotafond"}};
    const std::optional<QByteArray> png = withPlainText(encoded.data(), tags);
    if (!png)
        return false;

    // Other programs read the cache while we write: a temporary file (mode
    // 0600) renamed over the final name means they never see half a file.
    QTemporaryFile temporary(m_folder + QStringLiteral("/large/rotafond-XXXXXX.png"));
    if (!temporary.open() || temporary.write(*png) != png->size() || !temporary.flush())
        return false;
    const QString target = fileFor(path);
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return false;
    temporary.setAutoRemove(false);
    return true;
}
