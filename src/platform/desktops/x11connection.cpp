#include "x11connection.h"

#include <cstring>

X11Connection::X11Connection()
    : m_connection(xcb_connect(nullptr, &m_screenNumber)) {}

X11Connection::~X11Connection() {
    xcb_disconnect(m_connection);
}

xcb_screen_t *X11Connection::screen() const {
    if (xcb_connection_has_error(m_connection) != 0)
        return nullptr;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; it.rem && i < m_screenNumber; ++i)
        xcb_screen_next(&it);
    return it.rem ? it.data : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name, bool onlyIfExists) {
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, onlyIfExists ? 1 : 0, uint16_t(strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

uint32_t propertyValue(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                       xcb_atom_t type) {
    if (property == XCB_ATOM_NONE)
        return 0;
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, 1), nullptr));
    if (!reply || reply->type != type || xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    return *static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
}
