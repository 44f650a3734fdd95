#!/usr/bin/env bash
# Starts the real program beside a broken kopf.jpg or logo.jpg (both are read
# before any window opens) on a private X server, once per breakage. Each
# time the program must show the error box "Bilddatei fehlerhaft" and no other
# window, and once the box is confirmed with Return, end with status 1: no
# crash, no sanitizer report, no options window behind the box.
#
# An X server rather than the offscreen platform: there, nothing outside the
# process could see or confirm the box, and the program would block in it.
#
# usage: broken_picture_start.sh PROGRAM
#   PROGRAM  the built quendra; its six pictures lie beside it.
# Exit status 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail

program=$1
source_dir=$(dirname "$program")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
pictures=(kopf.jpg logo.jpg P_normal.jpg P_smile.jpg P_böse.jpg p_roben.jpg)

if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    echo "SKIP: needs Xvfb and xdotool"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quendra-broken.XXXXXX")
# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"

cleanup() {
    end_x_session
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

start_x_server

# A copy of the program and its pictures with $1 replaced by the file $2.
prepare() {
    local dir=$work/bin
    rm -rf "$dir"
    mkdir "$dir"
    cp "$program" "$dir/quendra"
    for picture in "${pictures[@]}"; do
        cp "$source_dir/$picture" "$dir/$picture"
    done
    cp "$2" "$dir/$1"
}

# Runs the copy with $1 broken as $2 (a file) and checks box, end and status.
check() {
    local picture=$1 broken=$2 what=$3
    prepare "$picture" "$broken"
    "$work/bin/quendra" >"$work/out.log" 2>&1 &
    program_pid=$!

    local windows=
    for _ in $(seq 300); do
        windows=$(program_windows)
        [ -n "$windows" ] && break
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$windows" ]; then
        cat "$work/out.log" >&2
        fail "$picture $what: no window appeared (program alive: $(kill -0 "$program_pid" 2>/dev/null && echo yes || echo no))"
    fi
    local titles
    titles=$(cut -f 2 <<<"$windows" | sort -u)
    [ "$titles" = "Bilddatei fehlerhaft" ] ||
        fail "$picture $what: expected only the box \"Bilddatei fehlerhaft\", saw: $titles"

    # Confirm the box; look it up afresh each time, as Qt may replace a
    # window's native handle right after showing it.
    for _ in $(seq 100); do
        kill -0 "$program_pid" 2>/dev/null || break
        local box
        box=$(program_windows | head -n 1 | cut -f 1)
        [ -n "$box" ] && xdotool key --window "$box" Return 2>/dev/null || true
        sleep 0.2
    done
    kill -0 "$program_pid" 2>/dev/null && fail "$picture $what: still running after the box was confirmed"
    local status=0
    wait "$program_pid" || status=$?
    program_pid=
    if grep -E -q 'Sanitizer|runtime error:|Segmentation|Aborted' "$work/out.log"; then
        cat "$work/out.log" >&2
        fail "$picture $what: the program reported a fault"
    fi
    [ "$status" -eq 1 ] || { cat "$work/out.log" >&2; fail "$picture $what: exit status $status, not 1"; }
    echo "$picture $what: error box, then exit status 1"
}

for picture in "${pictures[@]}"; do
    [ -f "$source_dir/$picture" ] || fail "$source_dir/$picture is missing"
done

: >"$work/empty"
head -c "$(($(stat -c %s "$source_dir/kopf.jpg") / 2))" "$source_dir/kopf.jpg" >"$work/half"
printf 'Hier sollte der Kopf des Professors sein.\n' >"$work/text"
head -c 2000 "$source_dir/logo.jpg" >"$work/logo-start"

check kopf.jpg "$work/empty" "with zero bytes"
check kopf.jpg "$work/half" "cut in half"
check kopf.jpg "$work/text" "holding text"
check logo.jpg "$work/logo-start" "cut after 2000 bytes"
