#pragma once

#include "wallpaperstyle.h"

#include <QImage>
#include <QSize>

// What a screen of the given size shows of a picture: tiled from the top
// left, centred (cropped when larger) on black, stretched, or for Span drawn
// 1:1 from the top left. A null picture gives black.
QImage renderScreen(const QImage &picture, QSize screen, WallpaperStyle style);
