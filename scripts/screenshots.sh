#!/usr/bin/env bash
# Screenshots of every window of the built program, to look at by eye, on
# private desktops of 1280x800 and 1920x1080 (or the sizes given):
#   scripts/screenshots.sh [build folder] [output folder] [sizes...]
# The program runs in a private home whose pictures are sway's wallpapers.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" != "--shoot" ]; then
    build=$(realpath "${1:-$here/../build/debug}")
    out=${2:-/tmp/shots}
    sizes=("${@:3}")
    [ ${#sizes[@]} -gt 0 ] || sizes=(1280x800 1920x1080)
    for size in "${sizes[@]}"; do
        mkdir -p "$out/$size"
        ROTAFOND_SCREEN=$size "$here/with-desktop.sh" "$0" --shoot "$build" "$out/$size"
    done
    exit 0
fi

build=$2
out=$3
home=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$home"' EXIT
mkdir -p "$home/Pictures" "$home/run"
chmod 700 "$home/run"
cp /usr/share/backgrounds/sway/*.png "$home/Pictures/"
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data
export XDG_CACHE_HOME=$home/cache XDG_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP

shot() {
    sleep "${2:-0.8}"
    "$build/tests/e2e/grabscreen" "$out/$1.png"
    echo "$out/$1.png"
}
# The id of the newest visible window whose title matches, once there is one.
window() {
    local id=
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1) && [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; return 1; }
    echo "$id"
}
press() { # window title, keys...
    local id
    id=$(window "$1")
    shift
    wmctrl -i -a "$id"
    sleep 0.3
    xdotool key --clearmodifiers "$@"
}
start() {
    "$build/src/app/rotafond" "$@" &
    pid=$!
}

# The first run: the introduction, the defaults dialog and the browser.
start
window '^Helping a little' >/dev/null && shot 00-intro-autostart-offer
press '^Helping a little' Return
window '^To start with' >/dev/null && shot 01-intro-first-message
press '^To start with' Return
window '^Wallpaper Defaults$' >/dev/null && shot 02-defaults-dialog
press '^Wallpaper Defaults$' Escape
window "^Let's get this" >/dev/null && shot 03-intro-second-message
press "^Let's get this" Return
browser=$(window '^Thumb View$')
shot 04-browser 2
xdotool mousemove --window "$browser" 90 97 click 1
shot 04-browser-drives
xdotool key Escape
sleep 0.5
browser=$(window '^Thumb View$')
xdotool mousemove --window "$browser" 300 150 click 1
shot 05-browser-selected
press '^Thumb View$' ctrl+shift+a
shot 06-browser-added-all 2
press '^Thumb View$' ctrl+v
window '^Rotafond Image Viewer' >/dev/null && shot 07-viewer 1.5
press '^Rotafond Image Viewer' Escape
press '^Thumb View$' Escape

# The main window with a picture, About and the exit question.
press '^Rotafond$' Home Down
shot 08-main-window 1.5
press '^Rotafond$' ctrl+a
window '^About Rotafond$' >/dev/null && shot 09-about
press '^About Rotafond$' Escape
press '^Rotafond$' ctrl+e
window '^Are you sure' >/dev/null && shot 10-exit-question
press '^Are you sure' Return
wait "$pid" || true

# A later start shows the splash while the list loads, then lives in the tray.
start
window '^Rotafond is loading$' >/dev/null && shot 11-splash 0.3
sleep 3
for id in $(xdotool search --pid "$pid" --name '^Rotafond$'); do
    width=$(xwininfo -id "$id" | sed -n 's/ *Width: //p')
    if xwininfo -id "$id" | grep -q IsViewable && [ "$width" -le 64 ]; then
        xdotool mousemove --window "$id" 8 8 click 3
        shot 12-tray-menu
        xdotool key Escape
        break
    fi
done
kill "$pid"
wait "$pid" || true
pid=
