#include "drawing.h"

#include "numeric.h"
#include "smoothscaled.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

QSize proportionalSize(QSize picture, QSize screen) {
    const float w = float(picture.width());
    const float h = float(picture.height());
    if (w <= h)
        return {std::max(1, roundHalfEven(float(screen.height()) * w / h)), screen.height()};
    return {screen.width(), std::max(1, roundHalfEven(float(screen.width()) * h / w))};
}

QImage composeProportional(const QImage &picture, QSize screen) {
    return stretchIntoSurface(picture, proportionalSize(picture.size(), screen));
}

QImage stretchIntoSurface(const QImage &source, QSize destination) {
    if (destination.isEmpty() || source.isNull())
        return QImage(destination.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    return smoothScaled(source, destination);
}

QRect fittedRect(QSize source, QSize destination) {
    const float dw = float(destination.width());
    const float dh = float(destination.height());
    const float sw = float(source.width());
    const float sh = float(source.height());
    if (source.isEmpty() || dw <= 2 || dh <= 2)
        return {};

    float scale = 1.0f;
    if (!(dw - 2 >= sw && dh - 2 >= sh))
        scale = sw > sh ? (dw - 2) / sw : (dh - 2) / sh;
    int nw = std::max(1, roundHalfEven(sw * scale));
    int nh = std::max(1, roundHalfEven(sh * scale));
    // Fitting the longer side alone can still overflow (or enlarge) on the
    // other axis; then the tighter axis decides.
    if (nw > dw - 2 || nh > dh - 2 || scale > 1.0f) {
        scale = std::min({(dw - 2) / sw, (dh - 2) / sh, 1.0f});
        nw = std::max(1, roundHalfEven(sw * scale));
        nh = std::max(1, roundHalfEven(sh * scale));
    }
    const int x = int(std::floor((dw - float(nw)) / 2));
    const int y = int(std::floor((dh - float(nh)) / 2));
    return {x, y, nw, nh};
}

QImage drawFitted(const QImage &source, QSize destination, const QColor &background) {
    QImage target(destination, QImage::Format_RGB32);
    target.fill(background);
    const QRect fitted = fittedRect(source.size(), destination);
    if (fitted.isEmpty())
        return target;
    QPainter painter(&target);
    painter.drawImage(fitted.topLeft(), stretchIntoSurface(source, fitted.size()));
    return target;
}

void copyPreviewTile(QImage &target, const QImage &tile, int x, int y) {
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(x, y), tile);
}
