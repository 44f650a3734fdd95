# shellcheck shell=bash
# X11: a private Xvfb with openbox as the window manager, as a desktop would
# have one; xdotool types, clicks and tells who holds the keyboard, import
# takes the screenshots.
desktop_tools=(Xvfb openbox xdotool xprop xwininfo xev import)
# shellcheck source=../../support/x_session.sh
source "$here/../support/x_session.sh"
wm_pid=

desktop_start() {
    if [ "$scenario" = screen_change ]; then
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

desktop_stop() {
    end_x_session
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
}

desktop_program() {
    exec env QT_QPA_PLATFORM=xcb "$@"
}

# A Wayland display named besides leaves the lock the X display's.
second_start_environment=(WAYLAND_DISPLAY=wayland-9)

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

# The client area of the window titled $1: "X Y WIDTH HEIGHT".
desktop_window_rect() {
    local id
    id=$(program_windows | awk -F '\t' -v t="$1" '$2 == t { print $1; exit }')
    [ -n "$id" ] || return 0
    xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}

# The window manager moves window $1's frame to $2, $3, as a drag would.
desktop_drag() { xdotool windowmove "$1" "$2" "$3"; }

desktop_key() { xdotool key "$1"; }
desktop_key_down() { xdotool keydown "$1"; }
desktop_key_up() { xdotool keyup "$1"; }
desktop_type() { xdotool type --delay 30 "$1"; }
desktop_click() { xdotool mousemove "$1" "$2" click 1; }
desktop_shot() { import -window root "$1"; }

# The frame of window $1 as the X server has it: "X Y WIDTH HEIGHT".
frame_geometry() {
    local x y w h l r t b
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 }
        /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
        END { print x, y, w, h }')
    # _NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,)
    [ -n "$b" ] || fail "window $1 has no frame"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# Fails unless the frame of window $1 (titled $2) is centred on the screen,
# to the pixel, and wholly on it.
expect_centred() {
    local x y w h
    read -r x y w h < <(frame_geometry "$1")
    echo "$2: frame at $x,$y, ${w}x$h"
    [ $((2 * x + w - screen_width)) -ge -1 ] && [ $((2 * x + w - screen_width)) -le 1 ] &&
        [ $((2 * y + h - screen_height)) -ge -1 ] && [ $((2 * y + h - screen_height)) -le 1 ] ||
        fail "$2 is not centred: frame at $x,$y, ${w}x$h on a ${screen_width}x$screen_height screen"
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] || fail "$2 reaches off the screen"
}

# One report for the screen: the next person's key, the date, the name;
# prints the report window's id once it has the keyboard.
screen_report() {
    local box
    next_person
    box=$(focused_window "$prompt_title")
    answer 24011973
    wait_for_focus "$prompt_title" 20 "$box" >/dev/null
    answer "$visitor"
    wait_for_focus "$report_title" 30
}

desktop_placement() {
    local report left_x left_y x y
    screen_width=800 screen_height=600
    desktop_start
    start_program
    step "the options window and the first report window open centred"
    report=$(wait_for_focus "$options_title" 30)
    sleep 0.5
    expect_centred "$report" "the options window"
    desktop_key Return
    wait_for_main_focus 20
    report=$(screen_report)
    sleep 0.5
    expect_centred "$report" "the report window"
    step "dragged by the window manager, it opens there again at each report"
    xdotool windowmove "$report" 40 60
    sleep 1
    read -r left_x left_y _ < <(frame_geometry "$report")
    for round in 2 3; do
        desktop_key alt+d
        wait_for_main_focus 20
        report=$(screen_report)
        sleep 0.5
        read -r x y _ < <(frame_geometry "$report")
        [ "$x $y" = "$left_x $left_y" ] ||
            fail "report $round opened at $x,$y, not where it was left ($left_x,$left_y)"
    done
    shot 01-report-where-left
    desktop_key alt+d
    wait_for_main_focus 20
    end_with_exit_question 02
    [ -z "$(find "$XDG_RUNTIME_DIR" -name 'quendra-*')" ] ||
        fail "the normal end left behind: $(ls "$XDG_RUNTIME_DIR")"
    echo "PASS (x11 placement): centred, reopened where left twice, nothing left behind"
}
