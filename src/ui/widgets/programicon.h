#pragma once

#include <QIcon>
#include <QImage>

// The program's icon, for the tray, the windows, the splash and the About box.
QIcon programIcon();

// The icon drawn at size x size pixels from the one artwork file (the same
// file is installed as the desktop's icon); null without Qt's SVG plugin.
QImage programIconImage(int size);
