#include "x11desktopwindow.h"

#include <QList>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct Free {
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

xcb_atom_t internAtom(xcb_connection_t *c, const char *name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool isDesktopWindowOfClass(xcb_connection_t *c, xcb_window_t window, xcb_atom_t typeAtom,
                            xcb_atom_t desktopAtom, const QByteArray &wmClass) {
    const Reply<xcb_get_property_reply_t> type(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, typeAtom, XCB_ATOM_ATOM, 0, 16), nullptr));
    if (!type || type->type != XCB_ATOM_ATOM)
        return false;
    const auto *types = static_cast<const xcb_atom_t *>(xcb_get_property_value(type.get()));
    const int count = xcb_get_property_value_length(type.get()) / 4;
    if (std::find(types, types + count, desktopAtom) == types + count)
        return false;
    // WM_CLASS holds the instance name and then the class name, each ending in NUL.
    const Reply<xcb_get_property_reply_t> names(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr));
    if (!names)
        return false;
    const QByteArray value(static_cast<const char *>(xcb_get_property_value(names.get())),
                           xcb_get_property_value_length(names.get()));
    const QList<QByteArray> parts = value.split('\0');
    if (parts.size() < 2 || parts.at(1) != wmClass)
        return false;
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

} // namespace

bool hasX11DesktopWindow(const QByteArray &wmClass) {
    int screenNumber = 0;
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t *)> connection(
        xcb_connect(nullptr, &screenNumber), xcb_disconnect);
    xcb_connection_t *c = connection.get();
    if (xcb_connection_has_error(c))
        return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; screens.rem && i < screenNumber; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return false;
    const xcb_atom_t typeAtom = internAtom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktopAtom = internAtom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
    if (typeAtom == XCB_ATOM_NONE || desktopAtom == XCB_ATOM_NONE)
        return false;
    // A reparenting window manager puts the desktop window inside a frame:
    // look at the root's children and at theirs.
    const Reply<xcb_query_tree_reply_t> top(
        xcb_query_tree_reply(c, xcb_query_tree(c, screens.data->root), nullptr));
    if (!top)
        return false;
    const xcb_window_t *windows = xcb_query_tree_children(top.get());
    for (int i = 0; i < xcb_query_tree_children_length(top.get()); ++i) {
        if (isDesktopWindowOfClass(c, windows[i], typeAtom, desktopAtom, wmClass))
            return true;
        const Reply<xcb_query_tree_reply_t> framed(
            xcb_query_tree_reply(c, xcb_query_tree(c, windows[i]), nullptr));
        if (!framed)
            continue;
        const xcb_window_t *clients = xcb_query_tree_children(framed.get());
        for (int j = 0; j < xcb_query_tree_children_length(framed.get()); ++j)
            if (isDesktopWindowOfClass(c, clients[j], typeAtom, desktopAtom, wmClass))
                return true;
    }
    return false;
}
