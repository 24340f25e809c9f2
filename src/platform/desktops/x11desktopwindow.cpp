#include "x11desktopwindow.h"

#include "x11connection.h"

#include <algorithm>
#include <vector>

namespace {

bool hasType(xcb_connection_t *c, xcb_window_t window, xcb_atom_t typeAtom, xcb_atom_t type) {
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, typeAtom, XCB_ATOM_ATOM, 0, 16), nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM)
        return false;
    const auto *types = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    return std::find(types, types + count, type) != types + count;
}

QByteArray windowClass(xcb_connection_t *c, xcb_window_t window) {
    // WM_CLASS holds the instance name and then the class name, each ending in NUL.
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr));
    if (!reply)
        return {};
    const QByteArray value(static_cast<const char *>(xcb_get_property_value(reply.get())),
                           xcb_get_property_value_length(reply.get()));
    const QList<QByteArray> parts = value.split('\0');
    return parts.size() > 1 ? parts.at(1) : QByteArray();
}

std::vector<xcb_window_t> children(xcb_connection_t *c, xcb_window_t window) {
    const XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!tree)
        return {};
    const xcb_window_t *first = xcb_query_tree_children(tree.get());
    return {first, first + xcb_query_tree_children_length(tree.get())};
}

} // namespace

QList<X11DesktopWindow> x11DesktopWindows(xcb_connection_t *c, const xcb_screen_t *screen) {
    const xcb_atom_t typeAtom = internAtom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktopAtom = internAtom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
    if (typeAtom == XCB_ATOM_NONE || desktopAtom == XCB_ATOM_NONE)
        return {};
    const int screenArea = screen->width_in_pixels * screen->height_in_pixels;
    QList<X11DesktopWindow> found;
    for (const xcb_window_t topLevel : children(c, screen->root)) {
        const XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, topLevel), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, topLevel), nullptr));
        const bool covers = geometry && geometry->width * geometry->height * 4 >= screenArea * 3;
        // A reparenting window manager puts the desktop window inside a frame.
        std::vector<xcb_window_t> candidates{topLevel};
        for (const xcb_window_t child : children(c, topLevel))
            candidates.push_back(child);
        for (const xcb_window_t window : candidates)
            if (hasType(c, window, typeAtom, desktopAtom)) {
                found.append({windowClass(c, window), covers});
                break;
            }
    }
    return found;
}

bool hasX11DesktopWindow(const QByteArray &wmClass) {
    const X11Connection connection;
    const xcb_screen_t *screen = connection.screen();
    if (!screen)
        return false;
    const QList<X11DesktopWindow> windows = x11DesktopWindows(connection.get(), screen);
    return std::any_of(windows.cbegin(), windows.cend(),
                       [&](const X11DesktopWindow &window) { return window.wmClass == wmClass; });
}
