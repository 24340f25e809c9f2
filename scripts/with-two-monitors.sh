#!/usr/bin/env bash
# Runs a command on a private X server with two monitors of different sizes:
# DUMMY0, 1280x1024 at the left, and DUMMY1, 1920x1080 to its right and 56
# pixels lower (Xorg's dummy driver; Xvfb has one output only). Exits 77 (skipped) when the
# dummy driver is not installed. The server is stopped when the command ends.
set -euo pipefail

if ! command -v Xorg >/dev/null || [ ! -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
    ! command -v xrandr >/dev/null; then
    echo "Xorg's dummy driver or xrandr is missing: apt-get install xserver-xorg-video-dummy x11-xserver-utils" >&2
    exit 77
fi

folder=$(mktemp -d)
cat >"$folder/xorg.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3200 1536
    EndSubSection
EndSection
CONF

display=120
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xorg ":$display" -noreset -nolisten tcp -config "$folder/xorg.conf" -configdir "$folder" \
    -logfile "$folder/xorg.log" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null || true; rm -rf "$folder"' EXIT
export DISPLAY=":$display"
for _ in $(seq 100); do
    xrandr >/dev/null 2>&1 && break
    sleep 0.1
done
xrandr --output DUMMY0 --mode 1280x1024
xrandr --addmode DUMMY1 1920x1080
xrandr --output DUMMY1 --mode 1920x1080 --pos 1280x56
status=0
"$@" || status=$?
exit $status
