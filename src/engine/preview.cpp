#include "preview.h"

#include "drawing.h"
#include "numeric.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr int PreviewWidth = 184;
constexpr int PreviewHeight = 138;
constexpr float PreviewAspect = 0.75f; // 138 / 184

// A partial tile counts only when at least a tenth of it is visible.
int tileCount(float covered, float tile) {
    return int(std::floor(covered / tile + 0.9f));
}

// Lays the picture out on the preview as the display mode lays it out on the screen.
void drawLayout(QImage &preview, const QImage &picture, QSize natural, DisplayMode mode,
                QSize screen, qreal ratio) {
    const float w = float(natural.width());
    const float h = float(natural.height());
    const float s = float(screen.width()) / PreviewWidth;
    const float r = h / w;
    const bool proportionalFill = mode == DisplayMode::TP || mode == DisplayMode::SP;

    float tw = w / s; // TN, SN: the picture's real size relative to the screen
    float th = h / s;
    if (proportionalFill) {
        tw = r < PreviewAspect ? PreviewWidth : PreviewHeight / r;
        th = r < PreviewAspect ? PreviewWidth * r : PreviewHeight;
    } else if (mode == DisplayMode::SS) {
        tw = PreviewWidth;
        th = PreviewHeight;
    }
    const QSize drawn(std::max(1, roundHalfEven(tw)), std::max(1, roundHalfEven(th)));
    const QImage scaled = stretchIntoSurface(picture, (QSizeF(drawn) * ratio).toSize());

    if (isTiled(mode)) {
        // TN repeats as often as on the real desktop, TP as often as the area needs.
        const int columns = mode == DisplayMode::TN ? tileCount(float(screen.width()), w)
                                                    : tileCount(PreviewWidth, tw);
        const int rows = mode == DisplayMode::TN ? tileCount(float(screen.height()), h)
                                                 : tileCount(PreviewHeight, th);
        // Tiles sit at multiples of the size they are drawn at, so they meet
        // without a gap.
        for (int column = 0; column < columns; ++column)
            for (int row = 0; row < rows; ++row)
                copyPreviewTile(preview, scaled, column * scaled.width(), row * scaled.height());
        return;
    }
    const QPoint centred(roundHalfEven((PreviewWidth - tw) / 2),
                         roundHalfEven((PreviewHeight - th) / 2));
    QPainter(&preview).drawImage((QPointF(centred) * ratio).toPoint(), scaled);
}

} // namespace

QImage drawPreviewEffect(const QImage &picture, QSize natural, DisplayMode mode, QSize screen,
                         qreal ratio) {
    // The layout is worked out in preview pixels; only the drawing is at ratio.
    QImage preview((QSizeF(PreviewWidth, PreviewHeight) * ratio).toSize(), QImage::Format_RGB32);
    preview.fill(Qt::black);
    if (!picture.isNull() && !natural.isEmpty() && !screen.isEmpty())
        drawLayout(preview, picture, natural, mode, screen, ratio);
    preview.setDevicePixelRatio(ratio);
    return preview;
}
