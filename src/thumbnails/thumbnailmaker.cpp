#include "thumbnailmaker.h"

#include "drawing.h"
#include "picture.h"
#include "picturefile.h"
#include "smoothscaled.h"
#include "thumbnailcache.h"
#include "uprightsize.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSemaphore>

#include <algorithm>

namespace {

// Decoders running at once share this many megabytes, so a folder of big
// PNGs on a machine with many cores cannot exhaust memory.
constexpr int DecodeBudgetMb = 256;

QSemaphore &decodeBudget() {
    static QSemaphore budget(DecodeBudgetMb);
    return budget;
}

class BudgetShare {
public:
    explicit BudgetShare(qint64 bytes)
        : m_megabytes(int(std::clamp<qint64>(bytes / (1024 * 1024) + 1, 1, DecodeBudgetMb))) {
        decodeBudget().acquire(m_megabytes);
    }
    ~BudgetShare() { decodeBudget().release(m_megabytes); }
    BudgetShare(const BudgetShare &) = delete;
    BudgetShare &operator=(const BudgetShare &) = delete;

private:
    int m_megabytes;
};

// The cached size: the picture within LargeSize x LargeSize, never enlarged.
QSize cacheSize(QSize original) {
    if (original.width() <= ThumbnailCache::LargeSize &&
        original.height() <= ThumbnailCache::LargeSize)
        return original;
    return original
        .scaled(ThumbnailCache::LargeSize, ThumbnailCache::LargeSize, Qt::KeepAspectRatio)
        .expandedTo(QSize(1, 1));
}

Thumbnail onCanvas(const QImage &picture, QSize original, QSize canvas, const QColor &background) {
    Thumbnail thumbnail;
    thumbnail.ok = true;
    thumbnail.canvas = QImage(canvas, QImage::Format_RGB32);
    thumbnail.canvas.fill(background);
    const QRect fitted = fittedRect(original, canvas);
    if (!fitted.isEmpty()) {
        QPainter painter(&thumbnail.canvas);
        painter.drawImage(fitted.topLeft(), stretchIntoSurface(picture, fitted.size()));
    }
    return thumbnail;
}

} // namespace

bool isIconOrCursor(const QString &name, const QByteArray &format) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("ico") || suffix == QLatin1String("cur") || format == "ico" ||
           format == "cur";
}

Thumbnail makeThumbnail(const QString &path, const ThumbnailCache &cache, QSize canvas,
                        const QColor &background) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable() || file.size() == 0 || isIconOrCursor(path, {}))
        return {};
    const qint64 modified = file.lastModified().toSecsSinceEpoch();

    if (const auto hit = cache.find(path, modified)) {
        const QSize original = hit->originalSize.isEmpty() ? hit->image.size() : hit->originalSize;
        Thumbnail thumbnail = onCanvas(hit->image, original, canvas, background);
        thumbnail.fromCache = true;
        return thumbnail;
    }

    const Result<std::unique_ptr<QFile>> opened = openPictureFile(path);
    if (!opened)
        return {};
    QImageReader reader(opened->get());
    // The content's format, asked before anything else is read.
    if (isIconOrCursor(path, reader.format()))
        return {};
    const QSize upright = uprightSize(reader);
    const qint64 limit = qint64(Picture::AllocationLimitMb) * 1024 * 1024;
    if (upright.isValid() && qint64(upright.width()) * upright.height() * 4 > limit)
        return {};

    qint64 decodeBytes = limit / 4; // unknown size: assume a big picture
    if (upright.isValid()) {
        const QSize wanted = cacheSize(upright);
        decodeBytes = qint64(upright.width()) * upright.height() * 4;
        if (reader.supportsOption(QImageIOHandler::ScaledSize) && wanted != upright) {
            setUprightScaledSize(reader, wanted);
            // The JPEG decoder's 1/8 steps leave at most twice the wanted size.
            decodeBytes = std::min(decodeBytes, qint64(wanted.width()) * wanted.height() * 16);
        }
    }

    QImage picture;
    {
        BudgetShare share(decodeBytes);
        picture = reader.read();
    }
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return {};
    const QSize original = upright.isValid() ? upright : picture.size();
    if (picture.size() != cacheSize(original))
        picture = smoothScaled(picture, cacheSize(original));
    // A picture no bigger than a cached thumbnail is its own thumbnail.
    if (picture.size() != original)
        cache.store(path, modified, picture, original);
    return onCanvas(picture, original, canvas, background);
}
