#include "desktoppicture.h"

#include "drawing.h"
#include "picturefile.h"
#include "screenrender.h"
#include "smoothscaled.h"
#include "uprightsize.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace {

bool turnsSideways(QImageIOHandler::Transformations transformation) {
    return transformation & QImageIOHandler::TransformationRotate90;
}

// The JPEG decoder scales by 1/2, 1/4 and 1/8 almost for free: the smallest
// of those sizes that still covers target, asked for exactly so the decoder
// does not scale a second time.
QSize jpegReducedSize(QSize picture, QSize target) {
    for (const int denominator : {8, 4, 2}) {
        const QSize reduced((picture.width() + denominator - 1) / denominator,
                            (picture.height() + denominator - 1) / denominator);
        if (reduced.width() >= target.width() && reduced.height() >= target.height())
            return reduced;
    }
    return picture;
}

} // namespace

DesktopPicture::DesktopPicture(const WallpaperEntry &entry, QSize screen)
    : m_entry(entry)
    , m_screen(screen)
    , m_composition(compositionFor(entry)) {}

Result<void> DesktopPicture::readHeader() {
    const Result<std::unique_ptr<QFile>> file = openPictureFile(m_entry.filePath);
    if (!file)
        return file;
    QImageReader reader(file->get());
    m_natural = uprightSize(reader);
    m_format = reader.format();
    m_turned = reader.transformation() != QImageIOHandler::TransformationNone;
    if (!m_natural.isValid() || m_natural.isEmpty())
        return Failure{reader.errorString()};
    return {};
}

QRect DesktopPicture::visibleRect(QSize picture, QSize screen, WallpaperStyle style) {
    const QRect whole(QPoint(0, 0), picture);
    switch (style) {
    case WallpaperStyle::Tile:
        return whole.intersected(QRect(QPoint(0, 0), screen));
    case WallpaperStyle::Center:
        // The same integer arithmetic the centring itself uses.
        return whole.intersected(QRect(QPoint(-((screen.width() - picture.width()) / 2),
                                              -((screen.height() - picture.height()) / 2)),
                                       screen));
    case WallpaperStyle::Stretch:
    case WallpaperStyle::Unchanged:
    case WallpaperStyle::Span:
        break;
    }
    return whole;
}

Result<QImage> DesktopPicture::bitmap() {
    if (m_bitmap.isNull()) {
        const QSize size =
            m_composition.proportional ? proportionalSize(m_natural, m_screen) : QSize();
        const Result<QImage> decoded = decode(size, size, {});
        if (!decoded)
            return decoded;
        m_bitmap = *decoded;
    }
    return m_bitmap;
}

Result<QImage> DesktopPicture::coveringPart(QSize cover, QPoint *origin) {
    const WallpaperStyle style = m_composition.style;
    if (!m_covering.isNull() && m_coveringSize.width() >= cover.width() &&
        m_coveringSize.height() >= cover.height() &&
        visibleRect(m_natural, m_coveringSize, style)
            .contains(visibleRect(m_natural, cover, style))) {
        *origin = m_coveringOrigin;
        return m_covering;
    }
    Result<QImage> part = decodeCoveringPart(cover, origin);
    if (part) {
        m_covering = *part;
        m_coveringSize = cover;
        m_coveringOrigin = *origin;
    }
    return part;
}

Result<QImage> DesktopPicture::decodeCoveringPart(QSize cover, QPoint *origin) {
    *origin = QPoint(0, 0);
    if (m_composition.proportional) {
        const QSize size = proportionalSize(m_natural, cover);
        return size == proportionalSize(m_natural, m_screen) ? bitmap() : decode(size, size, {});
    }
    if (m_composition.style == WallpaperStyle::Stretch)
        return decode(cover, {}, {});
    const QRect visible = visibleRect(m_natural, cover, m_composition.style);
    if (visible.size() == m_natural)
        return bitmap();
    *origin = visible.topLeft();
    return decode({}, {}, visible);
}

Result<QImage> DesktopPicture::desktop(const QList<Monitor> &monitors) {
    QSize cover(0, 0);
    for (const Monitor &monitor : monitors)
        cover = cover.expandedTo(monitor.rect.size());
    // One decode serves every monitor: it covers the largest of them.
    QPoint origin;
    const Result<QImage> covering = coveringPart(cover, &origin);
    if (!covering)
        return covering;
    const QImage &part = *covering;
    QImage desktop(desktopSize(monitors), QImage::Format_RGB32);
    desktop.fill(Qt::black);
    QPainter painter(&desktop);
    const WallpaperStyle style = m_composition.style;
    // Monitors of one size show the same: each size is composed once.
    QList<std::pair<QSize, QImage>> composed;
    for (const Monitor &monitor : monitors) {
        const QSize screen = monitor.rect.size();
        auto same = std::find_if(composed.cbegin(), composed.cend(),
                                 [screen](const auto &done) { return done.first == screen; });
        if (same == composed.cend()) {
            QImage shown = part;
            if (m_composition.proportional)
                shown = smoothScaled(part, proportionalSize(m_natural, screen));
            else if (style != WallpaperStyle::Stretch)
                shown = part.copy(visibleRect(m_natural, screen, style).translated(-origin));
            composed.append({screen, renderScreen(shown, screen, style)});
            same = composed.cend() - 1;
        }
        painter.drawImage(monitor.rect.topLeft(), same->second);
    }
    return desktop;
}

Result<QImage> DesktopPicture::decode(QSize reduceFor, QSize scaledTo, QRect clip) const {
    const Result<std::unique_ptr<QFile>> file = openPictureFile(m_entry.filePath);
    if (!file)
        return Failure{file.error()};
    QImageReader reader(file->get(), m_format);
    reader.setAutoTransform(true);
    // Decoders clip in the file's own orientation: a turned picture is cut afterwards.
    if (clip.isValid() && !m_turned)
        reader.setClipRect(clip);
    if (reduceFor.isValid() && m_format == "jpeg") {
        const bool sideways = turnsSideways(reader.transformation());
        const QSize stored = sideways ? m_natural.transposed() : m_natural;
        const QSize target = sideways ? reduceFor.transposed() : reduceFor;
        const QSize reduced = jpegReducedSize(stored, target);
        if (reduced != stored)
            reader.setScaledSize(reduced);
    }
    QImage image = reader.read();
    if (image.isNull())
        return Failure{reader.errorString()};
    if (clip.isValid() && m_turned)
        image = image.copy(clip);
    if (scaledTo.isValid() && image.size() != scaledTo)
        image = smoothScaled(image, scaledTo);
    return image;
}
