# shellcheck shell=bash
# One desktop of scripts/desktop-matrix.sh, run as the first process of a PID
# namespace of its own: sourced by it, never run alone.

started=()
skip_reason=

# Runs a program in the background, logged, and remembers its pid.
start() {
    "$@" >>"$work/log" 2>&1 &
    started+=($!)
}

# Last started, first stopped; what does not end on TERM within 5 seconds is
# killed. (Whatever they started themselves ends with the namespace.)
stop_started() {
    local pid watchdog
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        pid=${started[i]}
        kill "$pid" 2>/dev/null || continue
        (sleep 5 && kill -KILL "$pid" 2>/dev/null) &
        watchdog=$!
        wait "$pid" 2>/dev/null
        kill "$watchdog" 2>/dev/null
        wait "$watchdog" 2>/dev/null
    done
}

# Polls a command until it succeeds: wait_for SECONDS COMMAND...
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.3
    done
}

start_x() {
    local display=99
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    start Xvfb ":$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp +extension GLX
    export DISPLAY=":$display" XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
    wait_for 10 xdpyinfo || skip_reason="Xvfb did not start"
}

# A session bus of this desktop's own (the desktops' services start on it);
# its address goes to DBUS_SESSION_BUS_ADDRESS, or to the variable named $1.
start_bus() {
    local file
    file=$(mktemp "$work/bus.XXXXXX")
    dbus-daemon --session --nofork --print-address=1 >"$file" 2>>"$work/log" &
    started+=($!)
    wait_for 10 grep -q '^unix:' "$file" || { skip_reason="dbus-daemon did not start"; return 1; }
    export "${1:-DBUS_SESSION_BUS_ADDRESS}=$(head -1 "$file")"
}

bus_has() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" | grep -q true
}

has_window() {
    xdotool search --class "$1"
}

# Starts the desktop's own program; sets skip_reason when it cannot run here.
start_desktop() {
    case $1 in
    x11)
        start_x && start openbox
        ;;
    xfce | mate | lxqt | lxde)
        local program=(xfdesktop --disable-wm-check) class=xfdesktop
        export XDG_CURRENT_DESKTOP=XFCE
        case $1 in
        mate) program=(caja --force-desktop --no-default-window --sm-client-disable) class=caja
            XDG_CURRENT_DESKTOP=MATE ;;
        lxqt) program=(pcmanfm-qt --desktop) class=pcmanfm-qt XDG_CURRENT_DESKTOP=LXQt ;;
        lxde) program=(pcmanfm --desktop) class=pcmanfm XDG_CURRENT_DESKTOP=LXDE ;;
        esac
        start_x && start_bus && start openbox && start "${program[@]}"
        [ -n "$skip_reason" ] || wait_for 20 has_window "$class" ||
            skip_reason="${program[0]} showed no desktop window"
        sleep 3 # the window appears before its first picture
        ;;
    sway) start_sway ;;
    gnome) start_gnome ;;
    plasma | plasma2) start_plasma ;;
    *) skip_reason="unknown desktop" ;;
    esac
}

start_sway() {
    # sway refuses root: it runs as nobody, who must be able to read our files.
    local runtime="$work/sway"
    mkdir -m 700 "$runtime"
    chown nobody: "$runtime"
    cp /etc/sway/config "$work/sway.conf"
    echo 'xwayland disable' >>"$work/sway.conf"
    start env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups sway -c "$work/sway.conf"
    socket() { compgen -G "$runtime/sway-ipc.*.sock"; }
    wait_for 20 socket || { skip_reason="sway did not start"; return; }
    SWAYSOCK=$(socket)
    WAYLAND_DISPLAY=$(compgen -G "$runtime/wayland-?" | head -1)
    export SWAYSOCK WAYLAND_DISPLAY XDG_SESSION_TYPE=wayland
    export XDG_CURRENT_DESKTOP=sway QT_QPA_PLATFORM=offscreen
    wait_for 10 swaymsg -t get_outputs || { skip_reason="sway has no output"; return; }
    # Qt under Wayland would report the output's size; offscreen does not.
    screen_size=$(swaymsg -p -t get_outputs | grep -oP 'Current mode: \K[0-9]+x[0-9]+' | head -1)
}

start_gnome() {
    start_x && start_bus || return
    # The shell wants a system bus (power, login manager): one of its own,
    # where none of those services answer.
    start_bus DBUS_SYSTEM_BUS_ADDRESS || return
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome GNOME_SHELL_SESSION_MODE=user
    start gnome-shell --x11 --replace --sm-disable
    wait_for 60 bus_has org.gnome.Shell || { skip_reason="gnome-shell did not start"; return; }
    # It starts in the overview, with a notice that root is logged in, kept
    # while the user is idle: leave the overview, move the pointer.
    wait_for 30 gnome_overview_closed || { skip_reason="gnome-shell stayed in its overview"; return; }
    for x in 600 620 640; do
        sleep 2
        xdotool mousemove "$x" 500
    done
    sleep 5
}

# Asks the shell to close its overview; true once it has been closed for a while.
gnome_overview_closed() {
    local shell=(gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell)
    "${shell[@]}" --method org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive \
        '<false>' || return
    sleep 2
    "${shell[@]}" --method org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive |
        grep -q false
}

start_plasma() {
    # plasma2 runs on the two monitors' X server it was started in.
    if [ "$desktop" = plasma2 ]; then
        export XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
    else
        start_x || return
    fi
    start_bus && start openbox || return
    export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
    start plasmashell --no-respawn
    wait_for 60 bus_has org.kde.plasmashell || { skip_reason="plasmashell did not start"; return; }
    wait_for 30 has_window plasmashell || skip_reason="plasmashell showed no desktop window"
    sleep 5
}

record() {
    echo "$desktop $1 $2" >>"$results"
}

# The program's run as a co-process: one per run, so a new one is a restart.
rotafond_start() {
    coproc ROTAFOND { "$driver" run "$work/data" ${screen_size:+"$screen_size"} 2>>"$work/log"; }
    read -r -t 30 -u "${ROTAFOND[0]}" backend_line || backend_line="no answer"
    echo "   $backend_line" >&2
}

rotafond_stop() {
    local pid=$ROTAFOND_PID
    eval "exec ${ROTAFOND[1]}>&-"
    wait "$pid" 2>/dev/null || true
}

rotafond() {
    local reply
    echo "$*" >&"${ROTAFOND[1]}"
    read -r -t 60 -u "${ROTAFOND[0]}" reply || reply="failed: no answer"
    echo "$reply"
}

grab() {
    local shot="$shots/$desktop-$1.png"
    if [ "$desktop" = sway ]; then
        grim "$shot" && echo "$shot"
    else
        echo "x11:$shot"
    fi
}

# step NAME COMMAND MODE COLOURS...: the change, then the screen until it
# shows what it must (desktops fade, and are slow on a busy machine), at most
# 30 seconds.
step() {
    local name=$1 command=$2 mode=$3 reply verdict source
    shift 3
    reply=$(rotafond "$command")
    if [ "$reply" != ok ]; then
        record "$name" "FAIL(${reply#failed: })"
        return
    fi
    local deadline=$((SECONDS + 30))
    while :; do
        source=$(grab "$name") && verdict=$("$driver" check "$source" "$mode" "$@" 2>>"$work/log") &&
            { record "$name" pass; return; }
        [ $SECONDS -lt $deadline ] || break
        sleep 0.5
    done
    record "$name" "FAIL(${verdict#failed: }; see $shots/$desktop-$name.png)"
}

scenario() {
    local a="$work/pictures/a.png" b="$work/pictures/b.png" c="$work/pictures/c.png"
    local all=('#ff0000' '#0000ff' '#00ff00' '#ffff00' '#ff00ff' '#00ffff' '#ff8000' '#008080')
    "$driver" picture "$a" '#ff0000' '#0000ff'
    "$driver" picture "$b" '#ff00ff' '#00ffff'
    "$driver" picture "$c" '#ff8000' '#008080'
    rotafond_start
    for mode in tile center stretch proportional; do
        step "$mode" "apply $a $mode" "$mode" '#ff0000' '#0000ff'
    done
    # New contents under the same name, then another file.
    "$driver" picture "$a" '#00ff00' '#ffff00'
    step same-file "apply $a stretch" stretch '#00ff00' '#ffff00'
    step other-file "apply $b stretch" stretch '#ff00ff' '#00ffff'
    rotafond_stop
    rotafond_start
    step restart "apply $c stretch" stretch '#ff8000' '#008080'
    step clear clear clear "${all[@]}"
    rotafond_stop
}

run_session() {
    desktop=$1 driver=$2 results=$3
    # A step that fails is recorded, not the end of the desktop's run.
    set +e
    umask 022
    work=$(mktemp -d /tmp/desktop-matrix.XXXXXX)
    chmod 755 "$work"
    shots="$(dirname "$driver")/shots"
    mkdir -p "$shots" "$work/pictures" "$work/data"
    trap 'stop_started; cp "$work/log" "$shots/$desktop.log"; rm -rf "$work"' EXIT
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/cache"
    export XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/run" NO_AT_BRIDGE=1
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset XDG_CURRENT_DESKTOP ROTAFOND_DESKTOP SWAYSOCK WAYLAND_DISPLAY DESKTOP_SESSION \
        DBUS_SESSION_BUS_ADDRESS screen_size
    start_desktop "$desktop"
    if [ -n "$skip_reason" ]; then
        record '*' "skipped($skip_reason; log: $(tail -c 300 "$work/log" | tr '\n' ' '))"
        return
    fi
    scenario
}
