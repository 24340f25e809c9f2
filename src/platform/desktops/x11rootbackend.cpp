#include "x11rootbackend.h"

#include "screenrender.h"
#include "x11connection.h"
#include "x11desktopwindow.h"

#include <algorithm>

namespace {

// The previous wallpaper pixmap belongs to the (retained) client that set it.
// Free it only when both properties agree on it, as every setter does.
void releasePreviousPixmap(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t rootAtom,
                           xcb_atom_t esetrootAtom) {
    const xcb_pixmap_t root1 = propertyValue(connection, root, rootAtom, XCB_ATOM_PIXMAP);
    const xcb_pixmap_t root2 = propertyValue(connection, root, esetrootAtom, XCB_ATOM_PIXMAP);
    if (root1 != XCB_NONE && root1 == root2)
        xcb_kill_client(connection, root1);
}

bool hasError(xcb_connection_t *connection, xcb_void_cookie_t cookie) {
    const XcbReply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
    return error != nullptr;
}

// A desktop program's window over the whole screen hides the root window.
Result<void> checkRootIsVisible(xcb_connection_t *connection, xcb_screen_t *screen) {
    for (const X11DesktopWindow &window : x11DesktopWindows(connection, screen))
        if (window.coversScreen)
            return Failure{
                QStringLiteral("%1 draws its own desktop over the X root window, so Rotafond's "
                               "wallpaper would stay hidden under it.")
                    .arg(window.wmClass.isEmpty() ? QStringLiteral("A desktop program")
                                                  : QString::fromLocal8Bit(window.wmClass))};
    return {};
}

// The root window to draw on and the properties that name its picture.
struct Root {
    xcb_connection_t *c;
    xcb_screen_t *screen;
    xcb_window_t window;
    xcb_atom_t rootAtom;
    xcb_atom_t esetrootAtom;
};

Result<Root> openRoot(const X11Connection &connection) {
    xcb_screen_t *screen = connection.screen();
    if (!screen)
        return Failure{QStringLiteral("Cannot reach the X display.")};
    xcb_connection_t *c = connection.get();
    if (const Result<void> visible = checkRootIsVisible(c, screen); !visible)
        return Failure{visible.error()};
    return Root{c, screen, screen->root, internAtom(c, "_XROOTPMAP_ID", false),
                internAtom(c, "ESETROOT_PMAP_ID", false)};
}

} // namespace

Result<void> X11RootBackend::clear() {
    const X11Connection connection;
    const Result<Root> opened = openRoot(connection);
    if (!opened)
        return opened;
    const auto [c, screen, root, rootAtom, esetrootAtom] = *opened;
    releasePreviousPixmap(c, root, rootAtom, esetrootAtom);
    xcb_delete_property(c, root, rootAtom);
    xcb_delete_property(c, root, esetrootAtom);
    const uint32_t black = screen->black_pixel;
    xcb_change_window_attributes(c, root, XCB_CW_BACK_PIXEL, &black);
    if (hasError(c, xcb_clear_area_checked(c, 0, root, 0, 0, 0, 0)))
        return Failure{QStringLiteral("The X server refused to clear the wallpaper.")};
    return {};
}

Result<void> X11RootBackend::apply(const QString &, const QImage &bitmap, WallpaperStyle style) {
    const X11Connection connection;
    const Result<Root> opened = openRoot(connection);
    if (!opened)
        return opened;
    const auto [c, screen, root, rootAtom, esetrootAtom] = *opened;
    if (screen->root_depth != 24 && screen->root_depth != 32)
        return Failure{QStringLiteral("The X screen has depth %1; only 24 and 32 are supported.")
                           .arg(screen->root_depth)};
    if (xcb_get_setup(c)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return Failure{QStringLiteral("The X server's byte order is not supported.")};

    const QSize size(screen->width_in_pixels, screen->height_in_pixels);
    const QImage desktop = renderScreen(bitmap, size, style);

    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    if (hasError(c, xcb_create_pixmap_checked(c, screen->root_depth, pixmap, root,
                                              uint16_t(size.width()), uint16_t(size.height()))))
        return Failure{QStringLiteral("The X server has no room for the wallpaper.")};
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    // Send the picture in bands that fit the server's request size.
    const uint32_t maxBytes = xcb_get_maximum_request_length(c) * 4 - 64;
    const int rowBytes = size.width() * 4;
    const int bandRows = std::max(1, int(maxBytes / uint32_t(rowBytes)));
    for (int y = 0; y < size.height(); y += bandRows) {
        const int rows = std::min(bandRows, size.height() - y);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(size.width()),
                      uint16_t(rows), 0, int16_t(y), 0, screen->root_depth,
                      uint32_t(rows * rowBytes), desktop.constScanLine(y));
    }
    xcb_free_gc(c, gc);

    releasePreviousPixmap(c, root, rootAtom, esetrootAtom);
    for (const xcb_atom_t atom : {rootAtom, esetrootAtom})
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    if (hasError(c, xcb_change_window_attributes_checked(c, root, XCB_CW_BACK_PIXMAP, &pixmap)))
        return Failure{QStringLiteral("The X server refused the wallpaper.")};
    xcb_clear_area(c, 0, root, 0, 0, 0, 0);
    // Keep the pixmap alive after we disconnect: the root window shows it.
    // Wait for the server to have done it; requests still in flight when the
    // connection closes may be dropped.
    if (hasError(c, xcb_set_close_down_mode_checked(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT)))
        return Failure{QStringLiteral("The X server would not keep the wallpaper.")};
    return {};
}
