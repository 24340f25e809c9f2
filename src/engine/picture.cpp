#include "picture.h"

#include <QImageReader>

QImage Picture::load(const QString &path, QString *error) {
    QImageReader::setAllocationLimit(AllocationLimitMb);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        *error = reader.errorString();
        return {};
    }
    return image;
}
