#pragma once

#include <QByteArray>
#include <QList>

#include <xcb/xcb.h>

// A shown window of type _NET_WM_WINDOW_TYPE_DESKTOP: a desktop program
// (xfdesktop, pcmanfm, caja, ...) that draws its own picture over the root.
struct X11DesktopWindow {
    QByteArray wmClass; // the class part of WM_CLASS ("Pcmanfm"); empty when unset
    bool coversScreen;  // at least three quarters of the screen
};

// The desktop windows of screen, top-level or inside a window manager's frame.
QList<X11DesktopWindow> x11DesktopWindows(xcb_connection_t *connection, const xcb_screen_t *screen);

// True when the display shows a desktop window whose WM_CLASS class is
// wmClass: the sign that that desktop program is running.
bool hasX11DesktopWindow(const QByteArray &wmClass);
