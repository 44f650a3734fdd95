#!/usr/bin/env bash
# The Windows program under 64-bit Wine: start to the main window on the
# screen, idle CPU and resident set. Prints one table on stdout.
#
# Usage: bench/wine.sh BUILD_DIR    (a built windows preset tree, build/windows)
#
# Installs BUILD_DIR into a temporary folder, makes a fresh Wine prefix and
# starts its own X server (Xvfb 1280x1024) with openbox. Start-up: from the
# launch of wine64 until xdotool sees the main window mapped, Wine's process
# start included, the options window skipped with --anzeige; the first start
# in the fresh prefix. Idle: utime + stime of the program and of the Wine
# server from /proc over 60 s of speech. About a minute and a half.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1/bin/quendra.exe" ]; then
    echo "usage: $0 BUILD_DIR (with bin/quendra.exe)" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
wine=/usr/lib/wine/wine64
work=$(mktemp -d /tmp/quendra-wine-bench.XXXXXX)
fail() {
    echo "$0: $*" >&2
    exit 2
}
# shellcheck source=../tests/support/x_session.sh
source "$(dirname "$0")/../tests/support/x_session.sh"
wm_pid=
cleanup() {
    end_x_session
    WINEPREFIX=$work/prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/quendra" >/dev/null
start_x_server 1280x1024
unset QT_QPA_PLATFORM # the Windows Qt knows only its own platform
openbox >/dev/null 2>&1 &
wm_pid=$!
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "making a Wine prefix" >&2
"$wine" wineboot -i >/dev/null 2>&1

start_once() {
    local started
    started=$(date +%s%N)
    (cd "$work/quendra" && exec "$wine" quendra.exe --anzeige --lotto 45 >/dev/null 2>&1) &
    program_pid=$!
    for _ in $(seq 1500); do
        xdotool search --onlyvisible --name Rirezavezerivadur >/dev/null 2>&1 && break
        sleep 0.01
    done
    elapsed=$((($(date +%s%N) - started) / 1000000))
    xdotool search --onlyvisible --name Rirezavezerivadur >/dev/null 2>&1 ||
        fail "no main window within 15 s"
}
# One start only: a start right after a killed one waits about 10 s (and
# after the Wine server's end up to a minute) before its window appears, in
# Wine, so only the first start of a fresh prefix is a figure.
echo "starting, then one idle minute" >&2
start_once
sleep 5
# The Wine server of this prefix, not of another.
server=
for pid in $(pgrep wineserver); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        server=$pid
    fi
done
[ -n "$server" ] || fail "no Wine server for $WINEPREFIX"
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
program_before=$(ticks "$program_pid") server_before=$(ticks "$server")
sleep 60
program_after=$(ticks "$program_pid") server_after=$(ticks "$server")
hz=$(getconf CLK_TCK)
rss=$(awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$program_pid/status")

percent() { awk -v t="$1" -v hz="$hz" 'BEGIN { printf "%.2f", t * 100 / hz / 60 }'; }
printf '| Figure under Wine | Measured |\n|---|---|\n'
printf '| start to the main window on the screen | %s ms |\n' "$elapsed"
printf '| CPU while the professor talks, over 60 s | %s %% of one core, Wine server %s %% |\n' \
    "$(percent $((program_after - program_before)))" "$(percent $((server_after - server_before)))"
printf '| resident set after the idle minute (Wine'"'"'s own DLLs included) | %s MiB |\n' "$rss"
