# shellcheck shell=bash
# GNOME's compositor mutter, headless, with its default settings, in a D-Bus
# session of its own: keys and clicks go through its remote-desktop API
# (mutter_remote.py, one connection for the whole run); mutter cannot tell
# who holds the keyboard, so the program's protocol log does. mutter offers
# no screenshot without a screen-cast stream, so none are taken.
# Debian's python3-gi belongs to the system's Python.
desktop_tools=(mutter dbus-run-session /usr/bin/python3)
# shellcheck source=wayland.sh
source "$here/desktops/wayland.sh"
protocol_log=$work/protocol.log

desktop_start() {
    /usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || skip "python3-gi is not installed"
    # A copy mutter's user can reach wherever the sources lie.
    chmod 755 "$work"
    install -m 644 "$here/desktops/mutter_remote.py" "$work/mutter_remote.py"
    coproc REMOTE {
        exec env -u WAYLAND_DISPLAY -u DISPLAY XDG_RUNTIME_DIR="$compositor_dir" HOME="$compositor_dir" \
            setsid "${unprivileged[@]}" dbus-run-session -- \
            /usr/bin/python3 "$work/mutter_remote.py" "${screen_width}x$screen_height" \
            "$compositor_dir/mutter.log" 2>"$work/compositor.log"
    }
    compositor_pid=$REMOTE_PID
    local ready
    read -r -t 60 ready socket <&"${REMOTE[0]}" || true
    [ "$ready" = ready ] && [ -n "$socket" ] || fail "mutter did not start"
    export WAYLAND_DISPLAY=$socket
}

remote() {
    local answer
    echo "$*" >&"${REMOTE[1]}"
    read -r -t 30 answer <&"${REMOTE[0]}" || answer="no answer"
    [ "$answer" = ok ] || fail "mutter's remote desktop: $* -> $answer"
}

desktop_key() { remote key "$1"; }
desktop_type() { remote type "$1"; }
desktop_click() { remote click "$1" "$2"; }
desktop_shot() { :; }
