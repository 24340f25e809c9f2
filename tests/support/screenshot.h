#pragma once

// What the X display of the test desktop shows, desktop windows included.

#include <QImage>

#include <xcb/xcb.h>

#include <cstdlib>

inline QImage screenshot() {
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    QImage shot;
    if (auto *reply = xcb_get_image_reply(connection,
                                          xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                        screen->root, 0, 0, screen->width_in_pixels,
                                                        screen->height_in_pixels, ~0u),
                                          nullptr)) {
        shot = QImage(xcb_get_image_data(reply), screen->width_in_pixels, screen->height_in_pixels,
                      QImage::Format_RGB32)
                   .copy();
        std::free(reply);
    }
    xcb_disconnect(connection);
    return shot;
}
