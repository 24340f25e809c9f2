#include "picture.h"

#include "picturefile.h"

#include <QImageReader>

void Picture::setUpDecoding() {
    QImageReader::setAllocationLimit(AllocationLimitMb);
}

QImage Picture::load(const QString &path, QString *error) {
    const std::unique_ptr<QFile> file = openPictureFile(path, error);
    if (!file)
        return {};
    QImageReader reader(file.get());
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        *error = QStringLiteral("%1: %2").arg(path, reader.errorString());
        return {};
    }
    return image;
}
