# shellcheck shell=bash
# X11: a private Xvfb with openbox as the window manager, as a desktop would
# have one; xdotool types, clicks and tells who holds the keyboard, import
# takes the screenshots.
desktop_tools=(Xvfb openbox xdotool xprop xev import)
# shellcheck source=../../support/x_session.sh
source "$here/../support/x_session.sh"
wm_pid=

desktop_start() {
    start_x_server "${screen_width}x$screen_height"
    openbox --sm-disable </dev/null >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "openbox did not take over the screen"
}

desktop_stop() {
    end_x_session
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
}

desktop_program() {
    exec env QT_QPA_PLATFORM=xcb "$@"
}

desktop_windows() {
    local focus
    focus=$(xdotool getwindowfocus 2>/dev/null || true)
    program_windows | awk -F '\t' -v f="$focus" '{ print $1 "\t" ($1 == f) "\t" $2 }'
}

# The keyboard goes to another program's window, as openbox gives the root
# window's focus straight back.
desktop_take_focus() {
    xev -geometry 200x100+0+0 >/dev/null 2>&1 &
    for _ in $(seq 50); do
        [ -z "$(focused_window "$main_title_prefix" prefix)" ] && return 0
        sleep 0.1
    done
    fail "could not take the keyboard away"
}

desktop_key() { xdotool key "$1"; }
desktop_type() { xdotool type --delay 30 "$1"; }
desktop_click() { xdotool mousemove "$1" "$2" click 1; }
desktop_shot() { import -window root "$1"; }
