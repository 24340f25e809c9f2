#include "fittedpath.h"

#include <QFontMetrics>

QString fittedPath(const QString &path, const QFontMetrics &metrics, int width) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (width <= 0 || slash < 0 || metrics.horizontalAdvance(path) <= width)
        return path;
    const QString name = path.mid(slash);
    const int folderRoom = width - metrics.horizontalAdvance(name);
    if (slash > 0 && folderRoom > metrics.horizontalAdvance(QStringLiteral("/\u2026")))
        return metrics.elidedText(path.left(slash), Qt::ElideMiddle, folderRoom) + name;
    return name.mid(1);
}
