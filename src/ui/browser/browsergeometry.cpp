#include "browsergeometry.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The client area the browser was designed for.
constexpr QSize DesignedSize(691, 517);

// Where a window of length size starting at start begins once moved inside
// [first, first + room); its start stays visible when it cannot fit.
int clampedStart(int start, int size, int first, int room) {
    return std::max(first, std::min(start, first + room - size));
}

} // namespace

QString browserGeometryText(const QRect &geometry) {
    return QString::asprintf("%d x %d %+d %+d", geometry.width(), geometry.height(), geometry.x(),
                             geometry.y());
}

std::optional<QRect> readBrowserGeometry(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral(
        "^\\s*(\\d{1,5})\\s*x\\s*(\\d{1,5})\\s*([+-]\\s*\\d{1,5})\\s*([+-]\\s*\\d{1,5})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    auto number = [&match](int group) {
        return match.captured(group).remove(QLatin1Char(' ')).toInt();
    };
    return QRect(number(3), number(4), number(1), number(2));
}

QRect browserGeometry(const std::optional<QRect> &kept, const QRect &available, QSize minimum) {
    if (!kept) {
        const QSize size = (available.size() * 2 / 3)
                               .expandedTo(DesignedSize)
                               .expandedTo(minimum)
                               .boundedTo(available.size());
        QRect centred(QPoint(), size);
        centred.moveCenter(available.center());
        return centred;
    }
    const QSize size = kept->size().expandedTo(minimum).boundedTo(available.size());
    return QRect(clampedStart(kept->x(), size.width(), available.left(), available.width()),
                 clampedStart(kept->y(), size.height(), available.top(), available.height()),
                 size.width(), size.height());
}
