#pragma once

// What the whole desktop should show of an entry, worked out the plain way:
// the whole picture decoded, composed for each monitor and drawn at its place.
// For engine tests (it needs the engine's drawing).

#include "displaymode.h"
#include "drawing.h"
#include "monitors.h"
#include "screenrender.h"

#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

inline QImage expectedDesktop(const WallpaperEntry &entry, const QList<Monitor> &monitors) {
    const QImage whole = QImageReader(entry.filePath).read();
    const WallpaperStyle style = compositionFor(entry).style;
    QImage desktop(desktopSize(monitors), QImage::Format_RGB32);
    desktop.fill(Qt::black);
    QPainter painter(&desktop);
    for (const Monitor &monitor : monitors) {
        const QSize screen = monitor.rect.size();
        const QImage composed =
            entry.resize && entry.proportional ? composeProportional(whole, screen) : whole;
        painter.drawImage(monitor.rect.topLeft(), renderScreen(composed, screen, style));
    }
    return desktop;
}

// The largest difference in any channel of any pixel; 255 when the sizes differ.
inline int worstDifference(const QImage &a, const QImage &b) {
    if (a.size() != b.size())
        return 255;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}
