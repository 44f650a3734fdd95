# shellcheck shell=bash
# X11: a private Xvfb with openbox as the window manager, as a desktop would
# have one (Xorg's dummy driver where the screen must change its size);
# xdotool types, clicks and tells who holds the keyboard, import takes the
# screenshots.
desktop_tools=(Xvfb openbox xdotool xprop xwininfo xev import)
desktop_can=(hold_keys take_focus resize drag frames window_class)
# A Wayland display named besides leaves the lock the X display's.
second_start_environment=(WAYLAND_DISPLAY=wayland-9)
# shellcheck source=../../support/x_session.sh
source "$here/../support/x_session.sh"
wm_pid=

desktop_start() {
    if [ "${1:-}" = resizable ]; then
        command -v Xorg >/dev/null && command -v xrandr >/dev/null || skip "Xorg or xrandr is not installed"
        [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] || skip "Xorg's dummy driver is not installed"
        start_resizable_x_server "${screen_width}x$screen_height"
    else
        start_x_server "${screen_width}x$screen_height"
    fi
    openbox --sm-disable </dev/null >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "openbox did not take over the screen"
}

x11_stop() {
    end_x_session
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
}
desktop_stop() { x11_stop; }

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

desktop_resize() { xrandr --output "$x_output" --mode "$1x$2"; }

# The client area of window $1 as the X server has it: "X Y WIDTH HEIGHT".
x11_rect() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}

desktop_window_rect() {
    local id
    id=$(program_windows | awk -F '\t' -v t="$1" '$2 == t { print $1; exit }')
    [ -z "$id" ] || x11_rect "$id"
}

desktop_frame_rect() {
    local x y w h l r t b
    read -r x y w h < <(x11_rect "$1")
    # _NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,)
    [ -n "$b" ] || fail "window $1 has no frame"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# The window manager moves window $1's frame to $2, $3, as a drag would.
desktop_drag() { xdotool windowmove "$1" "$2" "$3"; }

desktop_key() { xdotool key "$1"; }
desktop_key_down() { xdotool keydown "$1"; }
desktop_key_up() { xdotool keyup "$1"; }
desktop_type() { xdotool type --delay 30 "$1"; }
desktop_click() { xdotool mousemove "$1" "$2" click 1; }
desktop_shot() { import -window root "$1"; }
desktop_window_class() { xprop -id "$1" WM_CLASS | sed -n 's/.*, "\(.*\)"$/\1/p'; }
