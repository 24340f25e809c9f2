#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

// Frees what xcb hands back (replies and errors) with free().
struct XcbFree {
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

// A connection of its own to the display in DISPLAY, for a worker thread.
class X11Connection {
public:
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection &) = delete;
    X11Connection &operator=(const X11Connection &) = delete;

    xcb_connection_t *get() const { return m_connection; }
    // The display's default screen; null when the display cannot be reached.
    xcb_screen_t *screen() const;

private:
    int m_screenNumber = 0;
    xcb_connection_t *m_connection;
};

// XCB_ATOM_NONE when the atom does not exist and onlyIfExists is set.
xcb_atom_t internAtom(xcb_connection_t *connection, const char *name, bool onlyIfExists = true);

// The first 32-bit value of a window's property of the given type; 0 when the
// property is unset or of another type.
uint32_t propertyValue(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                       xcb_atom_t type);
