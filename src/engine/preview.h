#pragma once

#include "displaymode.h"

#include <QImage>
#include <QSize>

// The screen scaled down to 184 x 138 (a 4:3 screen; one preview pixel is
// screen width / 184 screen pixels on both axes) with the picture laid out
// the way the display mode lays it out on the desktop.
// natural is the picture file's own size; picture may be a smaller decode of it.
// ratio: the device-pixel ratio of the window's screen; the preview has 184 x
// 138 times ratio pixels, and that ratio, so it is sharp there.
QImage drawPreviewEffect(const QImage &picture, QSize natural, DisplayMode mode, QSize screen,
                         qreal ratio = 1);
