#include "browsergeometry.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The client area the browser was designed for.
constexpr QSize DesignedSize(691, 517);

// The extent of a window of length size starting at start, moved so it lies
// inside [first, first + room), its start kept visible when it cannot.
int clampedStart(int start, int size, int first, int room) {
    return std::max(first, std::min(start, first + room - size));
}

} // namespace

QRect browserGeometry(const QString &stored, const QRect &available, QSize minimum) {
    static const QRegularExpression pattern(QStringLiteral(
        "^\\s*(\\d{1,5})\\s*x\\s*(\\d{1,5})\\s*([+-]\\s*\\d{1,5})\\s*([+-]\\s*\\d{1,5})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(stored);
    if (!match.hasMatch()) {
        const QSize size = (available.size() * 2 / 3)
                               .expandedTo(DesignedSize)
                               .expandedTo(minimum)
                               .boundedTo(available.size());
        QRect centred(QPoint(), size);
        centred.moveCenter(available.center());
        return centred;
    }
    auto number = [&match](int group) {
        return match.captured(group).remove(QLatin1Char(' ')).toInt();
    };
    const QSize size = QSize(number(1), number(2)).expandedTo(minimum).boundedTo(available.size());
    return QRect(clampedStart(number(3), size.width(), available.left(), available.width()),
                 clampedStart(number(4), size.height(), available.top(), available.height()),
                 size.width(), size.height());
}

QString browserGeometryText(const QRect &geometry) {
    return QString::asprintf("%d x %d %+d %+d", geometry.width(), geometry.height(), geometry.x(),
                             geometry.y());
}
