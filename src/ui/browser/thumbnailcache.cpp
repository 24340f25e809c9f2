#include "thumbnailcache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <cstdio>

namespace {
const char *const UriKey = "Thumb::URI";
const char *const MTimeKey = "Thumb::MTime";
const char *const WidthKey = "Thumb::Image::Width";
const char *const HeightKey = "Thumb::Image::Height";
} // namespace

ThumbnailCache::ThumbnailCache(QString folder)
    : m_folder(std::move(folder)) {}

QString ThumbnailCache::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/thumbnails");
}

QByteArray ThumbnailCache::uriOf(const QString &path) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
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
        image.text(QLatin1String(MTimeKey)) != QString::number(modified))
        return std::nullopt;
    Hit hit{image, QSize(image.text(QLatin1String(WidthKey)).toInt(),
                         image.text(QLatin1String(HeightKey)).toInt())};
    return hit;
}

bool ThumbnailCache::store(const QString &path, qint64 modified, const QImage &thumbnail,
                           QSize originalSize) const {
    if (m_folder.isEmpty() || thumbnail.isNull())
        return false;
    // Thumbnails of thumbnails would only grow the cache.
    if (QFileInfo(path).absoluteFilePath().startsWith(m_folder + QLatin1Char('/')))
        return false;
    const QString large = m_folder + QStringLiteral("/large");
    if (!QDir().mkpath(large))
        return false;
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(large, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // Other programs read the cache while we write: a temporary file (mode
    // 0600) renamed over the final name means they never see half a file.
    QTemporaryFile temporary(large + QStringLiteral("/rotafond-XXXXXX.png"));
    if (!temporary.open())
        return false;
    QImage tagged = thumbnail;
    tagged.setText(QLatin1String(UriKey), QString::fromUtf8(uriOf(path)));
    tagged.setText(QLatin1String(MTimeKey), QString::number(modified));
    tagged.setText(QLatin1String(WidthKey), QString::number(originalSize.width()));
    tagged.setText(QLatin1String(HeightKey), QString::number(originalSize.height()));
    tagged.setText(QStringLiteral("Software"), QStringLiteral("Rotafond"));
    QImageWriter writer(&temporary, "png");
    writer.setCompression(1); // fast: the cache is read far more often than written
    if (!writer.write(tagged) || !temporary.flush())
        return false;
    const QString target = fileFor(path);
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return false;
    temporary.setAutoRemove(false);
    return true;
}
