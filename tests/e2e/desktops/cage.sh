# shellcheck shell=bash
# cage, the kiosk compositor, headless: it runs one program alone, by the
# README's kiosk recipe; cage offers no virtual keyboard, so the test only
# looks at the screen (grim).
desktop_tools=(cage grim)
desktop_can=(kiosk)
# shellcheck source=wayland.sh
source "$here/desktops/wayland.sh"

desktop_start() { skip "cage runs one program alone, the kiosk's"; }

# The program as cage's only client, its pid left where cage's user may write.
desktop_start_kiosk() {
    # shellcheck disable=SC2016
    start_compositor cage -- sh -c 'echo $$ >"$1/program.pid"; shift; exec "$@"' sh \
        "$compositor_dir" env QT_QPA_PLATFORM=wayland PATH="$prefix/bin:/usr/bin:/bin" \
        LANG=C.UTF-8 LC_ALL=C.UTF-8 "$@"
    for _ in $(seq 100); do
        [ -s "$compositor_dir/program.pid" ] && break
        sleep 0.1
    done
    program_pid=$(cat "$compositor_dir/program.pid" 2>/dev/null) || fail "cage started no program"
}
