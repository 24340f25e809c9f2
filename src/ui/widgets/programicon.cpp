#include "programicon.h"

#include <QPainter>

#include <algorithm>

// A small framed landscape: the program's own icon, drawn so nothing is shipped.
QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame(0.5, size * 0.15, size - 1.0, size * 0.7);
        painter.setPen(QPen(QColor(60, 60, 60), std::max(1.0, size / 16.0)));
        painter.setBrush(QColor(90, 160, 230));
        painter.drawRect(frame);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(250, 210, 60));
        painter.drawEllipse(QPointF(size * 0.7, size * 0.35), size * 0.1, size * 0.1);
        painter.setBrush(QColor(60, 150, 70));
        const QPointF hills[] = {{frame.left(), frame.bottom()},
                                 {size * 0.35, size * 0.45},
                                 {size * 0.6, frame.bottom()}};
        painter.drawPolygon(hills, 3);
        pixmap.setDevicePixelRatio(1.0);
        icon.addPixmap(pixmap);
    }
    return icon;
}
