#!/usr/bin/env bash
# One Quendra per user and display, with the real program on a private X
# server:
#   - a second start on the same display ends at once with status 3 and a
#     German message, shows no window, and brings the running one back to
#     the keyboard, also when a Wayland display is named besides (the lock
#     belongs to the display Qt uses);
#   - a start on another platform runs beside it; so does one without a
#     usable runtime folder, which leaves no lock anywhere;
#   - after the running one is killed (kill -9, its lock left behind) the
#     next start runs.
# usage: single_instance_test.sh PROGRAM
set -euo pipefail

program=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in Xvfb xdotool xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quendra-instance.XXXXXX")
# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
other_pid=

cleanup() {
    [ -z "$other_pid" ] || kill -KILL "$other_pid" 2>/dev/null || true
    end_x_session
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
    done
    exit 1
}

start_x_server

# Starts the program with the kiosk options (no options window) and waits
# for its main window; $1 names the log.
start_first() {
    "$program" --anzeige >"$work/$1.log" 2>&1 &
    program_pid=$!
    for _ in $(seq 200); do
        program_windows | grep -q $'\tRirezavezerivadur' && return 0
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended at start (see $1.log)"
        sleep 0.1
    done
    fail "no main window within 20 s"
}

focused_id() { xdotool getwindowfocus 2>/dev/null || true; }

start_first first
main=$(program_windows | awk -F '\t' 'index($2, "Rirezavezerivadur") == 1 { print $1; exit }')
lock=$XDG_RUNTIME_DIR/quendra-x11-_${DISPLAY#:}.lock
[ -s "$lock" ] || fail "no lock file $lock"

# The keyboard goes elsewhere, so that the knock has something to bring back.
root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
xdotool windowfocus "$root" 2>/dev/null || true
[ "$(focused_id)" != "$main" ] || fail "could not take the focus from the main window"
# Qt believes a focus-out only after a short while (0.4 s on X11).
sleep 1

echo "--- a second start on the same display"
status=0
WAYLAND_DISPLAY=wayland-9 timeout 20 "$program" --ausdruck --lotto 49 >"$work/second.out" \
    2>"$work/second.log" || status=$?
[ "$status" -eq 3 ] || fail "the second start ended with status $status, expected 3"
expected='quendra: Quendra läuft auf dieser Anzeige bereits; das laufende Programm bleibt, wie es ist.'
[ "$(cat "$work/second.log")" = "$expected" ] ||
    fail "the second start said \"$(cat "$work/second.log")\" on standard error"
[ ! -s "$work/second.out" ] || fail "the second start wrote to standard output"
kill -0 "$program_pid" 2>/dev/null || fail "the running program ended"
[ "$(program_windows | wc -l)" -eq 1 ] || fail "the running program shows other windows than its main window"
for _ in $(seq 50); do
    [ "$(focused_id)" = "$main" ] && break
    sleep 0.1
done
[ "$(focused_id)" = "$main" ] || fail "the knock did not bring the running program back to the keyboard"

echo "--- a start on another platform runs beside it"
QT_QPA_PLATFORM=offscreen "$program" --anzeige >"$work/other.log" 2>&1 &
other_pid=$!
sleep 3
kill -0 "$other_pid" 2>/dev/null || fail "the start on another display ended (see other.log)"
kill -KILL "$other_pid"
wait "$other_pid" 2>/dev/null || true
mkdir "$work/cwd"
(cd "$work/cwd" && XDG_RUNTIME_DIR=$work/missing/runtime QT_QPA_PLATFORM=offscreen \
    exec "$program" --anzeige) >"$work/no-runtime.log" 2>&1 &
other_pid=$!
sleep 3
kill -0 "$other_pid" 2>/dev/null || fail "the start without a runtime folder ended (see no-runtime.log)"
[ -z "$(ls "$work/cwd")" ] || fail "the start without a runtime folder left $(ls "$work/cwd")"
kill -KILL "$other_pid"
wait "$other_pid" 2>/dev/null || true
other_pid=

echo "--- the lock of a killed instance does not block the next start"
kill_program
[ -s "$lock" ] || fail "kill -9 took the lock file along; nothing left to test"
start_first after-kill
echo "PASS: one instance per display, status 3 for the second, stale lock taken over"
