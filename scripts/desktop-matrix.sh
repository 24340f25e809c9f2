#!/usr/bin/env bash
# Opt-in (not part of ./test.sh): the same wallpaper scenario against the real
# programs of every desktop, judged by the screen's pixels, printed as a table.
#   scripts/desktop-matrix.sh [desktop...]   (default: all of them)
# Desktops: x11 xfce mate lxqt lxde sway gnome plasma, and when named,
# plasma2: Plasma on two monitors of different sizes, each judged on its own
# (scripts/with-two-monitors.sh). Installs what it needs
# (GNOME Shell and Plasma are large). Each desktop runs in a PID namespace of
# its own, so everything it started ends with it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
all_desktops=(x11 xfce mate lxqt lxde sway gnome plasma)
steps=(tile center stretch proportional same-file other-file restart clear)
matrix_packages=(plasma-workspace plasma-desktop gnome-shell mutter util-linux)

if [ "${1:-}" = "--session" ]; then
    # shellcheck source=desktop-matrix-session.sh
    source "$root/scripts/desktop-matrix-session.sh"
    run_session "$2" "$3" "$4"
    exit 0
fi

# shellcheck source=packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${matrix_packages[@]}"
build="$root/build/debug"
[ -f "$build/build.ninja" ] || cmake --preset debug -S "$root" >/dev/null
cmake --build "$build" --target desktop-matrix -j2 >/dev/null
driver="$build/tests/desktopmatrix/desktop-matrix"

desktops=("$@")
[ ${#desktops[@]} -gt 0 ] || desktops=("${all_desktops[@]}")
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for desktop in "${desktops[@]}"; do
    echo "== $desktop" >&2
    screens=()
    [ "$desktop" != plasma2 ] || screens=("$root/scripts/with-two-monitors.sh")
    # The namespace's first process ending takes every other one with it.
    timeout --kill-after=10 600 unshare --pid --fork --kill-child \
        "${screens[@]}" "$0" --session "$desktop" "$driver" "$results" ||
        echo "$desktop * skipped(session ended with status $?)" >>"$results"
done

# The table: one row per desktop; reasons after it.
printf '%-8s' desktop
printf ' | %-12s' "${steps[@]}"
printf '\n'
notes=()
for desktop in "${desktops[@]}"; do
    printf '%-8s' "$desktop"
    whole=$(grep -m1 -E "^$desktop \* " "$results" || true)
    [ -z "$whole" ] || notes+=("$desktop: $(sed -E 's/^[^(]*\((.*)\)$/\1/' <<<"${whole#* \* }")")
    for step in "${steps[@]}"; do
        line=${whole:-$(grep -m1 -E "^$desktop $step " "$results" || true)}
        result=${line#"$desktop "*" "}
        [ -n "$line" ] || result="skipped(not run)"
        word=${result%%(*}
        [ -n "$whole" ] || [ "$word" = "$result" ] ||
            notes+=("$desktop $step: $(sed -E 's/^[^(]*\((.*)\)$/\1/' <<<"$result")")
        printf ' | %-12s' "$word"
    done
    printf '\n'
done
for note in "${notes[@]}"; do
    echo "  $note"
done
