#!/usr/bin/env bash
# Measures Rotafond idling in the tray: resident memory, CPU time and wake-ups
# (voluntary context switches) over a period. Needs an X display with a tray:
#   scripts/with-desktop.sh bench/idle.sh [seconds]   (default 180)
set -euo pipefail
seconds=${1:-180}
binary=${ROTAFOND_BINARY:-$(dirname "$0")/../build/release/src/app/rotafond}
home=$(mktemp -d)
trap 'kill $pid 2>/dev/null && wait $pid 2>/dev/null; rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_CONFIG_HOME/Rotafond" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf 'P3\n2 2\n255\n10 20 30 40 50 60 70 80 90 100 110 120\n' > "$home/picture.ppm"
printf '[Settings]\nNumberOfFiles=1\n[Files]\n0=%s\n' "$home/picture.ppm" \
    > "$XDG_CONFIG_HOME/Rotafond/Rotafond.conf"
"$binary" & pid=$!
sleep 5
ticks=$(getconf CLK_TCK)
sample() {
    read -r -a stat < "/proc/$pid/stat"
    cpu=$((stat[13] + stat[14]))
    switches=$(awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$pid/status")
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
}
sample; cpu0=$cpu; switches0=$switches
sleep "$seconds"
sample
echo "idle ${seconds} s in the tray: RSS $((rss / 1024)) MB, CPU $(( (cpu - cpu0) * 1000 / ticks )) ms," \
     "wake-ups $((switches - switches0)) ($(( (switches - switches0) * 60 / seconds )) per minute)"
