# shellcheck shell=bash
# What the Wayland desktops share: the compositor runs as the unprivileged
# user nobody when the test runs as root (compositors refuse root), in a
# runtime folder of its own; the program runs natively on Wayland. Where the
# compositor cannot tell who holds the keyboard, the program's own protocol
# log (WAYLAND_DEBUG) does: wl_keyboard.enter names the surface, and
# xdg_toplevel.set_title the window.
compositor_dir=$work/compositor
mkdir -m 700 "$compositor_dir"
unprivileged=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody: "$compositor_dir"
    unprivileged=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    desktop_tools+=(setpriv)
fi
compositor_pid=
protocol_log=
wayland_client=carried

# Starts "$@" as the compositor, headless, with no input devices of its own,
# and waits for its Wayland socket.
start_compositor() {
    env -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u DISPLAY XDG_RUNTIME_DIR="$compositor_dir" HOME="$compositor_dir" \
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        setsid "${unprivileged[@]}" "$@" </dev/null >"$work/compositor.log" 2>&1 &
    compositor_pid=$!
    wait_for_socket 'wayland-*'
}

# Waits for the compositor's socket; exports its full path, as the program
# keeps a runtime folder of its own.
wait_for_socket() {
    local socket
    for _ in $(seq 300); do
        socket=$(find "$compositor_dir" -maxdepth 1 -type s -name "$1" | head -n 1)
        [ -n "$socket" ] && break
        kill -0 "$compositor_pid" 2>/dev/null || fail "the compositor ended at start"
        sleep 0.1
    done
    [ -n "$socket" ] || fail "the compositor offered no socket within 30 s"
    export WAYLAND_DISPLAY=$socket
}

# The compositor with its whole session (process group).
desktop_stop() {
    if [ -n "$compositor_pid" ]; then
        kill -- -"$compositor_pid" 2>/dev/null || true
        { wait "$compositor_pid" || true; } 2>/dev/null
    fi
    compositor_pid=
}

desktop_program() {
    mkdir -p -m 700 "$work/runtime"
    [ -z "$protocol_log" ] || exec 2>"$protocol_log"
    exec env -u DISPLAY -u WAYLAND_SOCKET QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$work/runtime" \
        ${protocol_log:+WAYLAND_DEBUG=1} "$@"
}

# The program's toplevel windows from its protocol log, numbered by their
# creation (object ids are reused): "number<TAB>focused<TAB>title". A window
# that hides loses the keyboard with it: the compositor's leave comes only
# later, and by then the next box may have the surface's id.
log_windows() {
    [ -s "$protocol_log" ] || return 0
    awk '
        match($0, /get_xdg_surface\(new id xdg_surface@[0-9]+, wl_surface@[0-9]+/) {
            split(substr($0, RSTART, RLENGTH), a, /@|,/); of_xdg[a[2]] = a[4] + 0; next }
        match($0, /xdg_surface@[0-9]+\.get_toplevel\(new id xdg_toplevel@[0-9]+/) {
            split(substr($0, RSTART, RLENGTH), a, /@|\.|\(/); s = of_xdg[a[2]]
            split($0, b, "xdg_toplevel@"); t = b[2] + 0
            ++count; surface[t] = s; number[s] = count; shown[s] = 1; next }
        match($0, /xdg_toplevel@[0-9]+\.set_title\(".*"\)/) {
            split($0, b, "xdg_toplevel@"); t = b[2] + 0
            title[surface[t]] = substr($0, index($0, "set_title(\"") + 11)
            sub(/"\)[^"]*$/, "", title[surface[t]]); next }
        match($0, /xdg_toplevel@[0-9]+\.destroy\(\)/) {
            split($0, b, "xdg_toplevel@"); s = surface[b[2] + 0]; shown[s] = 0
            if (s == focus) focus = ""; next }
        match($0, /wl_keyboard@[0-9]+\.enter\([0-9]+, wl_surface@[0-9]+/) {
            split(substr($0, RSTART, RLENGTH), a, "wl_surface@"); focus = a[2] + 0; next }
        /wl_keyboard@[0-9]+\.leave\(/ { focus = "" }
        END { for (s in shown) if (shown[s]) print number[s] "\t" (s == focus) "\t" title[s] }
    ' "$protocol_log"
}
desktop_windows() { log_windows; }

desktop_shot() { grim "$1"; }
