#!/usr/bin/env bash
# Runs a command inside a private desktop: Xvfb (1024x768x24, 96 dpi; another
# size by ROTAFOND_SCREEN=WIDTHxHEIGHT), a D-Bus session, openbox as window
# manager and trayer as system tray. Everything it started is stopped when the
# command ends; the command's exit code is kept.
set -euo pipefail

if [ "${1:-}" != "--inside" ]; then
    display=99
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 "${ROTAFOND_SCREEN:-1024x768}x24" -dpi 96 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true' EXIT
    export DISPLAY=":$display"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY" >&2; exit 1; }
    status=0
    dbus-run-session -- "$0" --inside "$@" || status=$?
    exit $status
fi

shift
openbox >/dev/null 2>&1 &
wm=$!
trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
       --transparent false --expand true >/dev/null 2>&1 &
tray=$!
trap 'kill $wm $tray 2>/dev/null || true' EXIT
# Wait until the window manager and the tray have claimed their selections.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
        xdotool search --classname trayer >/dev/null 2>&1 && break
    sleep 0.1
done
"$@"
