#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and starts the installed
# program through its command link from an unrelated directory, on a private
# X server:
#   - with all six pictures it opens its options window and keeps running;
#   - without kopf.jpg it shows an error box instead and ends with a non-zero
#     status, even though the current directory holds every picture.
# usage: install_test.sh CMAKE BUILD_DIR VERSION
set -euo pipefail

cmake=$1
build=$2
version=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=layout.sh
source "$here/layout.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quendra-install.XXXXXX")
# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"

cleanup() {
    end_x_session
    rm -rf "$work"
}
trap cleanup EXIT

prefix=$work/prefix
if ! "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "cmake --install failed"
fi
check_installed_tree "$prefix" "$version"
echo "installed tree is complete"

if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    echo "SKIP: starting the installed program needs Xvfb and xdotool"
    exit 77
fi

start_x_server

# Starts the installed command from directory $1, output to $2.
start_program() {
    (cd "$1" && exec "$prefix/bin/quendra") >"$2" 2>&1 &
    program_pid=$!
}

# Waits up to $1 seconds for a visible window of the program; prints them.
wait_for_windows() {
    local windows
    for _ in $(seq $(($1 * 10))); do
        windows=$(program_windows)
        if [ -n "$windows" ]; then
            printf '%s\n' "$windows"
            return 0
        fi
        kill -0 "$program_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# --- All pictures present: the options window opens and the program stays. ---
mkdir "$work/elsewhere"
start_program "$work/elsewhere" "$work/good.log"
windows=$(wait_for_windows 20) || {
    cat "$work/good.log" >&2
    fail "the installed program showed no window (exited: $(kill -0 "$program_pid" 2>/dev/null && echo no || echo yes))"
}
# The options window comes up over the main window once the main window is active.
for _ in $(seq 100); do
    grep -q $'\tProgrammoptionen$' <<<"$windows" && break
    sleep 0.1
    windows=$(program_windows)
done
grep -q $'\tProgrammoptionen$' <<<"$windows" || {
    printf '%s\n' "$windows" >&2
    fail "the options window \"Programmoptionen\" did not appear"
}
# The professor changes his face every second from the picture files; a few
# seconds later he must still be running, with no error box in between.
sleep 4
kill -0 "$program_pid" 2>/dev/null || {
    cat "$work/good.log" >&2
    fail "the installed program ended on its own"
}
windows=$(program_windows)
unexpected=$(grep -v -e $'\tProgrammoptionen$' -e $'\tRirezavezerivadur' <<<"$windows" || true)
[ -z "$unexpected" ] || fail "unexpected window besides the options window: $unexpected"
echo "installed program runs with its options window open"
# Docks and task bars find the menu entry of a window by its class.
if command -v xprop >/dev/null; then
    wm_class=$(sed -n 's/^StartupWMClass=//p' "$prefix/share/applications/$app_id.desktop")
    window=$(head -n 1 <<<"$windows" | cut -f 1)
    xprop -id "$window" WM_CLASS | grep -q ", \"$wm_class\"$" ||
        fail "the window class is $(xprop -id "$window" WM_CLASS), the menu entry expects \"$wm_class\""
fi
kill_program

# --- Without kopf.jpg: error box, then a non-zero exit. ---
# The current directory holds all six pictures: a program that looked there
# instead of beside its own file would start normally.
for picture in "${pictures[@]}"; do
    cp "$prefix/lib/quendra/$picture" "$work/elsewhere/"
done
rm "$prefix/lib/quendra/kopf.jpg"
start_program "$work/elsewhere" "$work/bad.log"
windows=$(wait_for_windows 20) || {
    cat "$work/bad.log" >&2
    kill -0 "$program_pid" 2>/dev/null && fail "without kopf.jpg the program neither showed a window nor ended"
    fail "without kopf.jpg the program ended without an error box"
}
if grep -q $'\tProgrammoptionen$' <<<"$windows"; then
    fail "without kopf.jpg beside it the program still opened its options window"
fi
echo "error box: \"$(head -n 1 <<<"$windows" | cut -f 2)\""
# Confirm the box with Return; the program must then end, and not in success.
# The box is looked up afresh for every try: Qt may replace a window's native
# handle right after showing it.
for _ in $(seq 50); do
    kill -0 "$program_pid" 2>/dev/null || break
    box=$(program_windows | grep -v $'\tProgrammoptionen$' | head -n 1 | cut -f 1)
    if [ -n "$box" ]; then
        xdotool key --window "$box" Return 2>/dev/null || true
    fi
    sleep 0.2
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after its error box was confirmed"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -ne 0 ] || fail "without kopf.jpg the program ended with status 0"
echo "without kopf.jpg: error, exit status $status"
