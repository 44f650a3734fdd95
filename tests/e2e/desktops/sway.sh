# shellcheck shell=bash
# sway, headless: wtype types, a virtual pointer (desktop_input) clicks,
# sway's window tree tells who holds the keyboard, grim takes screenshots.
desktop_tools=(sway swaymsg wtype grim jq)
desktop_can=(resize drag second_output)
# shellcheck source=wayland.sh
source "$here/desktops/wayland.sh"

desktop_start() {
    [ -x "$tools_dir/desktop_input" ] || skip "desktop_input was not built (plasma-wayland-protocols missing)"
    # With sway's defaults a window that opens over the full-screen main
    # window gets no keyboard, and an activation request only marks it
    # urgent: the README's kiosk recipe line mends that.
    cat >"$work/sway.config" <<CONFIG
output HEADLESS-1 resolution ${screen_width}x$screen_height
for_window [app_id="org.example.quendra"] focus
xwayland disable
CONFIG
    chmod 644 "$work/sway.config"
    start_compositor sway -c "$work/sway.config"
    for _ in $(seq 100); do
        SWAYSOCK=$(find "$compositor_dir" -maxdepth 1 -type s -name 'sway-ipc.*' | head -n 1)
        [ -n "$SWAYSOCK" ] && break
        sleep 0.1
    done
    [ -n "$SWAYSOCK" ] || fail "sway offered no IPC socket"
    export SWAYSOCK
}

desktop_windows() {
    swaymsg -t get_tree | jq -r --argjson pid "$program_pid" \
        '.. | objects | select(.pid? == $pid) | "\(.id)\t\(if .focused then 1 else 0 end)\t\(.name)"'
}

# wtype's fresh virtual keyboard needs a moment before its first key counts.
desktop_key() {
    case "$1" in
    alt+*) wtype -s 250 -M alt -k "${1#alt+}" -m alt ;;
    *) wtype -s 250 -k "$1" ;;
    esac
}
desktop_type() { wtype -s 250 -d 30 "$1"; }
desktop_click() { "$tools_dir/desktop_input" click "$1" "$2" "$screen_width" "$screen_height"; }

desktop_resize() { swaymsg -q output HEADLESS-1 resolution "$1x$2"; }

# The client area of the window titled $1: "X Y WIDTH HEIGHT".
desktop_window_rect() {
    swaymsg -t get_tree | jq -r --argjson pid "$program_pid" --arg title "$1" '.. | objects |
        select(.pid? == $pid and .name == $title) |
        "\(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height)"' |
        head -n 1
}

# sway moves the floating window to $2, $3, as a drag would.
desktop_drag() { swaymsg -q "[con_id=$1] move position $2 $3"; }

# A second output of $1 x $2 right of the first; the main window moves to it.
desktop_second_output() {
    swaymsg -q create_output
    swaymsg -q output HEADLESS-2 resolution "$1x$2" position "$screen_width" 0
    swaymsg -q "[pid=$program_pid] move container to output HEADLESS-2"
    swaymsg -q "[pid=$program_pid] focus"
}
desktop_shot_second() { grim -o HEADLESS-2 "$1"; }
desktop_remove_second_output() {
    swaymsg -q output HEADLESS-2 disable
    swaymsg -q focus output HEADLESS-1
}
# The first output alone, also while there is a second.
desktop_shot() { grim -o HEADLESS-1 "$1"; }
