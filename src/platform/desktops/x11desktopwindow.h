#pragma once

#include <QByteArray>

// True when the X display shows a desktop window (_NET_WM_WINDOW_TYPE_DESKTOP)
// whose WM_CLASS class is wmClass: the sign that a desktop program is running
// and draws the picture over the root window.
bool hasX11DesktopWindow(const QByteArray &wmClass);
