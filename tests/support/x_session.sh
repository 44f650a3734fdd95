# shellcheck shell=bash
# A private X server for the shell tests that drive the real program with
# xdotool. Source it once the caller's fail (report and exit non-zero) exists
# and $work names the test's own temporary folder; set program_pid to the
# program under test once it runs, and call end_x_session from the EXIT trap.

# shellcheck source=program_end.sh
source "$(dirname "${BASH_SOURCE[0]}")/program_end.sh"
xvfb_pid=
program_pid=

# Starts Xvfb on a free display, which the server writes to fd 3 once it
# accepts connections (at most 20 s), and points this shell's X clients and
# Qt at it. $1 is the screen's size, WIDTHxHEIGHT; 1280x1024 when not given.
# Without -noreset the server resets when its last client leaves, and a
# client connecting meanwhile has its connection reset: a program started
# right after another one ended would fail now and then.
start_x_server() {
    Xvfb -displayfd 3 -noreset -screen 0 "${1:-1280x1024}x24" -nolisten tcp 3>"$work/display" \
        </dev/null 2>"$work/xvfb.log" &
    xvfb_pid=$!
    take_x_display Xvfb "$work/xvfb.log"
}

# Waits until the X server $1 (started as xvfb_pid, its log in $2) writes its
# display to fd 3, and points this shell's X clients and Qt at it.
take_x_display() {
    for _ in $(seq 200); do
        [ -s "$work/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || {
            cat "$2" >&2
            xvfb_pid=
            fail "$1 did not start"
        }
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "$1 reported no display within 20 s"
    DISPLAY=:$(head -n 1 "$work/display")
    export DISPLAY
    unset XAUTHORITY WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Starts Xorg with the dummy driver instead, whose screen changes its size
# while programs run (xrandr), as a monitor's does; $1 is its size at start,
# 1280x1024, 1024x768 or 1920x1080. Xorg runs only as root here.
start_resizable_x_server() {
    [ "$(id -u)" -eq 0 ] || skip "Xorg with the dummy driver needs root"
    printf '%s\n' 'Section "Device"' 'Identifier "d"' 'Driver "dummy"' 'VideoRam 64000' EndSection \
        'Section "Monitor"' 'Identifier "m"' 'HorizSync 5-1000' 'VertRefresh 5-200' EndSection \
        'Section "Screen"' 'Identifier "s"' 'Device "d"' 'Monitor "m"' 'SubSection "Display"' \
        'Virtual 1920 1080' EndSubSection EndSection >"$work/xorg.conf"
    Xorg -displayfd 3 -config "$work/xorg.conf" -noreset -nolisten tcp -novtswitch -sharevts \
        -logfile "$work/xorg.log" 3>"$work/display" </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    take_x_display Xorg "$work/xorg.log"
    x_output=$(xrandr | awk '/ connected/ { print $1; exit }')
    xrandr --output "$x_output" --mode "${1:-1280x1024}" || fail "no mode ${1:-1280x1024} on $x_output"
}

# Visible windows of the program, one "id<TAB>title" a line. Look them up
# anew every time: Qt may replace a window's native handle after showing it.
program_windows() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null); do
        printf '%s\t%s\n' "$id" "$(xdotool getwindowname "$id" 2>/dev/null)"
    done
}

# The program, then the X server; for the EXIT trap.
end_x_session() {
    kill_program
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        { wait "$xvfb_pid" || true; } 2>/dev/null
    fi
    xvfb_pid=
}
