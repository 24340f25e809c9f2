#include "programicon.h"

#include <QImageReader>
#include <QPixmap>

QImage programIconImage(int size) {
    QImageReader reader(QStringLiteral(":/rotafond/rotafond.svg"));
    reader.setScaledSize(QSize(size, size));
    return reader.read();
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128, 256}) {
        const QImage image = programIconImage(size);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
