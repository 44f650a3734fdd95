# shellcheck shell=bash
# KDE's compositor KWin, headless (--virtual), with its default settings, in
# a D-Bus session of its own; keys and clicks through its fake-input protocol
# (desktop_input), who holds the keyboard from the program's protocol log,
# screenshots through its D-Bus API (kwin_shot.py).
# KWin's binary carries file capabilities, which this kind of machine refuses
# to an unprivileged user, and its platform plugin wants a program named
# kwin_wayland: so a plain copy of that name runs. KWin shows its fake input
# only to programs it trusts (through their menu entries); the test bench
# turns that check off (for screenshots too), which changes nothing for the
# program under test. KWin must be able to look at the input tool's process,
# so the tools run as KWin's user, from copies that user can reach.
desktop_tools=(kwin_wayland dbus-run-session)
# shellcheck source=wayland.sh
source "$here/desktops/wayland.sh"
protocol_log=$work/protocol.log

desktop_start() {
    [ -x "$tools_dir/desktop_input" ] || skip "desktop_input was not built (plasma-wayland-protocols missing)"
    chmod 755 "$work"
    mkdir "$work/kwin"
    cp "$(command -v kwin_wayland)" "$work/kwin/kwin_wayland"
    cp "$tools_dir/desktop_input" "$here/desktops/kwin_shot.py" "$work/kwin/"
    chmod 755 "$work/kwin" "$work/kwin/kwin_wayland" "$work/kwin/desktop_input" "$work/kwin/kwin_shot.py"
    env -u WAYLAND_DISPLAY -u DISPLAY XDG_RUNTIME_DIR="$compositor_dir" HOME="$compositor_dir" QT_QPA_PLATFORM= \
        KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
        setsid "${unprivileged[@]}" dbus-run-session -- \
        sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus"; exec "$@"' "$compositor_dir" \
        "$work/kwin/kwin_wayland" --virtual --width "$screen_width" --height "$screen_height" --socket wayland-kwin \
        </dev/null >"$work/compositor.log" 2>&1 &
    compositor_pid=$!
    wait_for_socket wayland-kwin
}

kwin_input() { "${unprivileged[@]}" "$work/kwin/desktop_input" "$@"; }
desktop_key() { kwin_input key "$1"; }
desktop_type() { kwin_input type "$1"; }
desktop_click() { kwin_input click "$1" "$2" "$screen_width" "$screen_height"; }
desktop_shot() {
    "${unprivileged[@]}" env DBUS_SESSION_BUS_ADDRESS="$(cat "$compositor_dir/bus")" \
        /usr/bin/python3 "$work/kwin/kwin_shot.py" >"$work/shot.pam" && convert "$work/shot.pam" "$1"
}
