#!/usr/bin/env bash
# The abort of Qt 6.4.2's frame callback race, counted. wayland_hide (see its
# head) runs again and again under one headless compositor, started as the
# desktop tests start it (tests/e2e/desktops), until its windows have been
# hidden CYCLES times or MINUTES have passed. Every run that ends early is
# classed by how it ended:
#   abort     libwayland's assertion, the callback destroyed twice
#   segfault  the same race touching freed memory
#   lost      "The Wayland connection experienced a fatal error": the
#             client's output buffer filled before the compositor read it,
#             a different fault, counted apart so that it hides nothing
#   other     anything else (its last lines are shown)
# and counts Qt's warnings of a window's lock destroyed while held (the
# frame-event thread still inside a window that the main thread destroyed):
# the same kind of race, which need not end the run.
# Prints one Markdown table row on stdout, progress on stderr.
# With XWAYLAND_DISPLAY set (e.g. :30), wayland_hide runs on X11 instead, in
# an Xwayland of that display that shows its whole screen as one window of
# the compositor. wayland_hide finds the program's own Wayland client
# library, the one with the fix, as the program does; with SYSTEM_CLIENT=1
# Debian's is preloaded instead, for the figures without the fix. The table
# names the library the runs used.
#
# usage: bench/wayland_hide.sh BUILD_DIR mutter|sway box|window|tooltip CYCLES [MINUTES]
set -euo pipefail

if [ $# -lt 4 ]; then
    echo "usage: $0 BUILD_DIR mutter|sway box|window|tooltip CYCLES [MINUTES]" >&2
    exit 2
fi
build=$1 compositor=$2 mode=$3 cycles=$4 minutes=${5:-30}
program=$(realpath "$build/bin/wayland_hide")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e" && pwd)
per_run=2000 # cycles asked of one run
screen_width=1280
screen_height=1024

fail() {
    echo "wayland_hide.sh: $*" >&2
    exit 2
}
skip() { fail "$@"; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quendra-hide.XXXXXX")
chmod 755 "$work" # the compositor runs as nobody when we are root
desktop_tools=()
case $compositor in
mutter)
    # shellcheck source=../tests/e2e/desktops/mutter.sh
    source "$here/desktops/mutter.sh"
    ;;
sway)
    # shellcheck source=../tests/e2e/desktops/wayland.sh
    source "$here/desktops/wayland.sh"
    desktop_start() {
        printf 'output HEADLESS-1 resolution %sx%s\nxwayland disable\n' \
            "$screen_width" "$screen_height" >"$work/sway.config"
        chmod 644 "$work/sway.config"
        start_compositor sway -c "$work/sway.config"
    }
    ;;
*) fail "no compositor $compositor" ;;
esac
xwayland_pid=
trap '[ -z "$xwayland_pid" ] || kill "$xwayland_pid"; desktop_stop; rm -rf "$work"' EXIT
desktop_start
mkdir -m 700 "$work/runtime"
platform=(QT_QPA_PLATFORM=wayland)
[ "${SYSTEM_CLIENT:-}" != 1 ] ||
    platform+=(LD_PRELOAD=/usr/lib/x86_64-linux-gnu/libQt6WaylandClient.so.6)
if [ -n "${XWAYLAND_DISPLAY:-}" ]; then
    env -u DISPLAY XDG_RUNTIME_DIR="$work/runtime" Xwayland "$XWAYLAND_DISPLAY" -nolisten tcp \
        >"$work/xwayland.log" 2>&1 &
    xwayland_pid=$!
    for _ in $(seq 100); do
        [ -S "/tmp/.X11-unix/X${XWAYLAND_DISPLAY#:}" ] && break
        sleep 0.1
    done
    [ -S "/tmp/.X11-unix/X${XWAYLAND_DISPLAY#:}" ] || fail "Xwayland did not start: $(tail -n 3 "$work/xwayland.log")"
    platform=(QT_QPA_PLATFORM=xcb DISPLAY="$XWAYLAND_DISPLAY")
    compositor="$compositor, X11 through Xwayland"
fi
# No core files: an abort is expected here.
ulimit -c 0

client=none runs=0 done_cycles=0 aborts=0 segfaults=0 lost=0 other=0 locked=0
start=$SECONDS
while [ "$done_cycles" -lt "$cycles" ] && [ $((SECONDS - start)) -lt $((minutes * 60)) ]; do
    kill -0 "$compositor_pid" 2>/dev/null || fail "the compositor ended"
    asked=$((cycles - done_cycles < per_run ? cycles - done_cycles : per_run))
    status=0
    env -u DISPLAY -u WAYLAND_SOCKET "${platform[@]}" XDG_RUNTIME_DIR="$work/runtime" \
        timeout 900 "$program" "$mode" "$asked" >"$work/run.out" 2>"$work/run.err" ||
        status=$?
    runs=$((runs + 1))
    [ "$runs" -gt 1 ] || client=$(awk '$1 == "client" { print $2 }' "$work/run.out")
    locked=$((locked + $(grep -c 'destroying locked mutex\|mutex lock failure' "$work/run.err" || true)))
    reached=$(awk '$1 == "cycles" { n = $2 } END { print n + 0 }' "$work/run.out")
    done_cycles=$((done_cycles + reached))
    if [ "$status" -eq 0 ] && [ "$reached" -eq "$asked" ]; then
        ending=completed
    elif grep -q 'wl_proxy_unref\|Assertion' "$work/run.err"; then
        ending=abort aborts=$((aborts + 1))
    elif [ "$status" -eq 139 ]; then
        ending=segfault segfaults=$((segfaults + 1))
    elif grep -q 'connection experienced a fatal error' "$work/run.err"; then
        ending=lost lost=$((lost + 1))
    else
        ending=other other=$((other + 1))
        echo "run $runs ended with status $status:" >&2
        tail -n 5 "$work/run.err" >&2
    fi
    echo "run $runs: $ending after $reached cycles (status $status); $done_cycles of $cycles" >&2
    [ "$ending" = completed ] || [ "$ending" = other ] ||
        grep -m 1 'Assertion\|fatal error' "$work/run.err" >&2 || true
done

echo "| compositor | windows | Wayland client | runs | cycles | seconds | aborts | segfaults | lost connection | other | lock warnings |"
echo "|---|---|---|---|---|---|---|---|---|---|---|"
echo "| $compositor | $mode | ${client:-none} | $runs | $done_cycles | $((SECONDS - start)) | $aborts | $segfaults | $lost | $other | $locked |"
