#include "picture.h"

#include <QImageReader>

void Picture::setUpDecoding() {
    QImageReader::setAllocationLimit(AllocationLimitMb);
}
