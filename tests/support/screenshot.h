#pragma once

// What the X display of the test desktop shows, desktop windows included.

#include <QImage>
#include <QRect>

#include <xcb/xcb.h>

#include <cstdlib>

// The whole screen, or only area of it (tests that poll one pixel need no more).
inline QImage screenshot(QRect area = {}) {
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (area.isNull())
        area = QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    QImage shot;
    if (auto *reply = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(area.x()),
                          int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
            nullptr)) {
        shot = QImage(xcb_get_image_data(reply), area.width(), area.height(), QImage::Format_RGB32)
                   .copy();
        std::free(reply);
    }
    xcb_disconnect(connection);
    return shot;
}
