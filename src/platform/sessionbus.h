#pragma once

// Without a session bus (a bare X session), the first D-Bus user of the run
// (Qt's accessibility bridge, a platform theme, GLib) has libdbus autolaunch a
// bus daemon bound to the X display, which outlives the program. Called before
// anything connects: when no bus is known, the address becomes one that is
// never reachable, so every connection fails at once and nothing is launched.
// A known bus (the address variable, or the per-user socket in
// XDG_RUNTIME_DIR) is left as it is.
void preventSessionBusAutolaunch();
