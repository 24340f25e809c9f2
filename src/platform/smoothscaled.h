#pragma once

#include <QImage>
#include <QSize>

// The image smoothly scaled to size. Qt's smooth scaling keeps 1-bit and
// palette formats and loses their colours on the way (a red and blue picture
// comes out black and white), so anything but 32-bit pixels is converted
// first: RGB32, or premultiplied ARGB32 when the image has alpha. An image
// already at size is returned as it is.
QImage smoothScaled(const QImage &image, QSize size);
