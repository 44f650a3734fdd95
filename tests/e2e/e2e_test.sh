#!/usr/bin/env bash
# Drives the installed program as a visitor at the stand would: in a private
# X server, with the keyboard and the mouse (xdotool), printing on a private
# CUPS queue. Two scenarios:
#   screen    options confirmed with Return; a key, date and name; the report
#             window opens, Alt+B prints it (one job, one page, the visitor's
#             report), Alt+D hands back to the main window; "X" and Return end
#             the program with status 0.
#   printout  "Ausdruck" chosen in the options window; a key, date and name
#             print the page at once and no report window ever opens; "X" and
#             Return end the program with status 0.
#   placement on an 800 x 600 screen with a window manager (openbox): the
#             options window and the report window open centred on the
#             screen, frame included; dragged by the window manager, the
#             report window opens where it was left at each later report.
#             After the end no lock or socket is left behind.
#
# usage: e2e_test.sh screen|printout|placement CMAKE BUILD_DIR SHOTS_DIR
#
# The printer: with QUENDRA_CUPS_DIR and the client variables of
# tests/cups/cups_harness.sh set (the ctest fixture quendra_cups), the jobs go
# to that scheduler; without them the script starts its own one for the run.
# Screenshots of the important moments are left in SHOTS_DIR.
set -euo pipefail

mode=${1:-}
cmake=${2:-}
build=${3:-}
shots=${4:-}
case "$mode" in
screen | printout | placement) ;;
*)
    echo "usage: $0 screen|printout|placement CMAKE BUILD_DIR SHOTS_DIR" >&2
    exit 2
    ;;
esac
if [ -z "$cmake" ] || [ ! -d "$build" ] || [ -z "$shots" ]; then
    echo "usage: $0 screen|printout|placement CMAKE BUILD_DIR SHOTS_DIR" >&2
    exit 2
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
harness=$here/../cups/cups_harness.sh

for tool in Xvfb xdotool xprop xwininfo openbox lpstat pdfinfo pdftotext; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
# Screenshots are for the people looking at a run; without ImageMagick the
# scenario runs all the same.
have_import=no
if command -v import >/dev/null; then
    have_import=yes
else
    echo "note: ImageMagick's import is missing, so no screenshots are taken"
fi

main_title_prefix='Rirezavezerivadur'
report_title='Hier ist Ihre Quendra'
options_title='Programmoptionen'
prompt_title='Eingabe'
exit_title='Ende'
birth_date=24011973
if [ "$mode" = screen ]; then
    visitor='Eva Muster'
else
    visitor='Karl Beispiel'
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quendra-e2e.XXXXXX")
# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
# shellcheck source=../support/design_point.sh
source "$here/../support/design_point.sh"
# shellcheck source=../support/program_end.sh
source "$here/../support/program_end.sh"
own_cups=

openbox_pid=
cleanup() {
    local status=$?
    [ -z "$openbox_pid" ] || kill "$openbox_pid" 2>/dev/null || true
    end_x_session
    if [ -n "$own_cups" ]; then
        sh "$harness" stop "$own_cups" >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

step() { echo "--- $*"; }

fail() {
    echo "FAIL ($mode): $*" >&2
    if [ -n "$xvfb_pid" ] && [ -n "${DISPLAY:-}" ]; then
        if [ "$have_import" = yes ] && import -window root "$shots/failure.png" 2>/dev/null; then
            echo "screen at the failure: $shots/failure.png" >&2
        fi
        if [ -n "$program_pid" ]; then
            echo "windows of the program:" >&2
            program_windows >&2 || true
            echo "focus: $(focused_title)" >&2
        fi
    fi
    if [ -s "$work/program.log" ]; then
        echo "program output:" >&2
        cat "$work/program.log" >&2
    fi
    exit 1
}

mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/*.pdf

# --- The printer ---------------------------------------------------------
if [ -z "${QUENDRA_CUPS_DIR:-}" ]; then
    own_cups=$work/cups
    sh "$harness" start "$own_cups" >"$work/cups.log" 2>&1 || {
        cat "$work/cups.log" >&2
        fail "could not start a CUPS scheduler"
    }
    export QUENDRA_CUPS_DIR=$own_cups
    export CUPS_SERVER=$own_cups/cups.sock CUPS_SERVERROOT=$own_cups/client HOME=$own_cups/home
fi
# shellcheck source=../support/cups_queue.sh
source "$here/../support/cups_queue.sh"
check_default_queue
remember_queue_jobs

# --- The installed program -----------------------------------------------
step "installing into a temporary prefix"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
    cat "$work/install.log" >&2
    fail "cmake --install failed"
}
[ -x "$prefix/bin/quendra" ] || fail "no $prefix/bin/quendra after the installation"

# --- The X server --------------------------------------------------------
# A free display chosen by the server itself; it writes the number to fd 3
# once it accepts connections.
step "starting Xvfb"
if [ "$mode" = placement ]; then
    # The design's own screen, and a window manager that frames the windows.
    start_x_server 800x600
    openbox >"$work/openbox.log" 2>&1 &
    openbox_pid=$!
    sleep 1
else
    start_x_server
fi
echo "display $DISPLAY"

# --- Looking at the screen -----------------------------------------------

window_with_title() {
    program_windows | awk -F '\t' -v t="$1" '$2 == t { print $1; exit }'
}

focused_title() {
    xdotool getwindowfocus getwindowname 2>/dev/null || true
}

focused_id() {
    xdotool getwindowfocus 2>/dev/null || true
}

# Waits up to $2 seconds until the window with title $1 has the keyboard
# focus, and a different one than $3 if given; prints its id.
wait_for_focus() {
    local title=$1 seconds=$2 not=${3:-} id deadline=$((SECONDS + $2))
    while [ "$SECONDS" -le "$deadline" ]; do
        program_alive || fail "the program ended while waiting for \"$title\""
        if [ "$(focused_title)" = "$title" ]; then
            id=$(focused_id)
            if [ -n "$id" ] && [ "$id" != "$not" ]; then
                echo "$id"
                return 0
            fi
        fi
        sleep 0.1
    done
    fail "no window \"$title\"${not:+ (a new one)} got the focus within $seconds s (focus: \"$(focused_title)\")"
}

wait_for_main_focus() {
    local title deadline=$((SECONDS + $1))
    while [ "$SECONDS" -le "$deadline" ]; do
        program_alive || fail "the program ended while waiting for the main window"
        title=$(focused_title)
        [[ "$title" == "$main_title_prefix"* ]] && return 0
        sleep 0.1
    done
    fail "the main window did not get the focus within $1 s (focus: \"$(focused_title)\")"
}

shot() {
    [ "$have_import" = yes ] || return 0
    import -window root "$shots/$1.png" || fail "screenshot $1 failed"
}

# Geometry of window $1 as "X Y".
window_position() {
    xdotool getwindowgeometry "$1" | sed -n 's/^ *Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p'
}

# Clicks at the point ($2,$3) of the design of window $1, as large as the
# program draws it on this screen; $4 "main" for the main window.
click_in() {
    local x y dx dy width height
    read -r x y < <(window_position "$1")
    [ -n "$x" ] || fail "window $1 has no position"
    read -r width height < <(xdotool getdisplaygeometry)
    read -r dx dy < <(design_point "$width" "$height" "$2" "$3" "${4:-}")
    xdotool mousemove $((x + dx)) $((y + dy)) click 1
}

# The frame of window $1 as the X server has it: "X Y WIDTH HEIGHT". (xdotool
# adds the frame's offset to a framed window's position once too often.)
frame_geometry() {
    local x y w h l r t b
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 }
        /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
        END { print x, y, w, h }')
    # _NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,)
    [ -n "$b" ] || fail "window $1 has no frame"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# Fails unless the frame of window $1 (titled $2) is centred on the screen,
# to the pixel, and wholly on it.
expect_centred() {
    local x y w h width height
    read -r x y w h < <(frame_geometry "$1")
    read -r width height < <(xdotool getdisplaygeometry)
    echo "$2: frame at $x,$y, ${w}x$h"
    [ $((2 * x + w - width)) -ge -1 ] && [ $((2 * x + w - width)) -le 1 ] &&
        [ $((2 * y + h - height)) -ge -1 ] && [ $((2 * y + h - height)) -le 1 ] ||
        fail "$2 is not centred: frame at $x,$y, ${w}x$h on a ${width}x$height screen"
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] || fail "$2 reaches off the screen"
}

# --- The run -------------------------------------------------------------
step "starting the installed program from another directory"
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && exec "$prefix/bin/quendra") </dev/null >"$work/program.log" 2>&1 &
program_pid=$!

options=$(wait_for_focus "$options_title" 30)
[ -n "$(program_windows | awk -F '\t' -v p="$main_title_prefix" 'index($2, p) == 1')" ] ||
    fail "the options window is up but no main window \"$main_title_prefix …\""
main=$(program_windows | awk -F '\t' -v p="$main_title_prefix" 'index($2, p) == 1 { print $1; exit }')
if [ "$mode" = placement ]; then
    sleep 0.5
    expect_centred "$options" "the options window"
fi
read -r main_x main_y < <(window_position "$main")
[ "$main_x $main_y" = "0 0" ] || fail "the main window starts at $main_x,$main_y, not at 0,0"
sleep 0.5 # let the first face and the window contents settle for the picture
shot 01-options

if [ "$mode" != printout ]; then
    step "confirming the defaults with Return"
    xdotool key Return
else
    # Ausdruck_0 sits at (16,20) in Frame1 at (164,12); the start button
    # Command1 is 229x41 at (164,168).
    step "choosing \"Ausdruck\" and pressing the start button"
    click_in "$options" $((164 + 16 + 8)) $((12 + 20 + 8))
    sleep 0.3
    shot 02-ausdruck-chosen
    click_in "$options" $((164 + 114)) $((168 + 20))
fi
wait_for_main_focus 20
[ -z "$(window_with_title "$options_title")" ] || fail "the options window is still shown after its start button"

# The professor types his first sentence, ten characters a second.
sleep 2.5
shot 03-professor-speaking

# One report for the screen: a key, the date, the name; prints the report
# window's id once it has the focus.
screen_report() {
    local box
    xdotool key space
    box=$(wait_for_focus "$prompt_title" 20)
    xdotool type --delay 30 "$birth_date"
    xdotool key Return
    wait_for_focus "$prompt_title" 20 "$box" >/dev/null
    xdotool type --delay 30 "$visitor"
    xdotool key Return
    wait_for_focus "$report_title" 30
}

if [ "$mode" = placement ]; then
    step "the first report window opens centred"
    report=$(screen_report)
    sleep 0.5
    expect_centred "$report" "the report window"
    step "dragged by the window manager, it opens there again at each report"
    xdotool windowmove "$report" 40 60
    sleep 1
    read -r left_x left_y _ < <(frame_geometry "$report")
    shot 07-report-dragged
    for round in 1 2; do
        xdotool key alt+d
        wait_for_main_focus 20
        report=$(screen_report)
        sleep 0.5
        read -r x y _ < <(frame_geometry "$report")
        echo "report $((round + 1)): frame at $x,$y"
        [ "$x $y" = "$left_x $left_y" ] ||
            fail "report $((round + 1)) opened at $x,$y, not where it was left ($left_x,$left_y)"
    done
    shot 08-report-where-left
    xdotool key alt+d
    wait_for_main_focus 20
    click_in "$main" $((312 + 16)) $((320 + 16)) main
    wait_for_focus "$exit_title" 20 >/dev/null
    xdotool key Return
    expect_clean_end
    left=$(find "$XDG_RUNTIME_DIR" -name 'quendra-*')
    [ -z "$left" ] || fail "the normal end left behind: $left"
    echo "PASS (placement): centred, reopened where left twice, nothing left behind"
    exit 0
fi

step "a key on the main window starts an analysis"
xdotool key space
date_box=$(wait_for_focus "$prompt_title" 20)
shot 04-date-prompt
xdotool type --delay 30 "$birth_date"
xdotool key Return
wait_for_focus "$prompt_title" 20 "$date_box" >/dev/null
xdotool type --delay 30 "$visitor"
shot 05-name-prompt
xdotool key Return
step "waiting for the professor's sentence"
sleep 3
shot 06-professor-calculating
no_report_window() {
    [ "$mode" = screen ] || [ -z "$(window_with_title "$report_title")" ] ||
        fail "a report window opened although \"Ausdruck\" was chosen"
}
no_report_window

if [ "$mode" = screen ]; then
    wait_for_focus "$report_title" 30 >/dev/null
    [ -z "$(new_jobs)" ] || fail "something was printed before \"Bitte ausdrucken\": jobs $(new_jobs | tr '\n' ' ')"
    sleep 0.5
    shot 07-report-window

    step "Alt+B prints the report"
    xdotool key alt+b
    job=$(wait_for_printed_job) || fail "no finished print job within 30 s after Alt+B"
    check_printed_page "$job" "$shots" "$visitor"
    [ -n "$(window_with_title "$report_title")" ] || fail "the report window went away when printing"

    step "Alt+D hands over to the next person"
    xdotool key alt+d
    deadline=$((SECONDS + 20))
    while [ "$SECONDS" -le "$deadline" ]; do
        [ -z "$(window_with_title "$report_title")" ] && break
        program_alive || fail "the program ended after Alt+D"
        sleep 0.1
    done
    [ -z "$(window_with_title "$report_title")" ] || fail "the report window is still shown 20 s after Alt+D"
    wait_for_main_focus 20
    shot 08-after-report
else
    job=$(wait_for_printed_job) || fail "no finished print job within 30 s after the name"
    no_report_window
    check_printed_page "$job" "$shots" "$visitor"

    # Keys are ignored until the professor has finished his sentence (about
    # 6 s from the page); then a lone Shift starts the next printed report.
    # It is cancelled at its date prompt, so nothing more is printed.
    step "the next key, once the professor has finished, asks the next person"
    next_box=
    deadline=$((SECONDS + 40))
    while [ -z "$next_box" ] && [ "$SECONDS" -le "$deadline" ]; do
        no_report_window
        program_alive || fail "the program ended after printing"
        xdotool key shift
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            if [ "$(focused_title)" = "$prompt_title" ]; then
                next_box=$(focused_id)
                break
            fi
            sleep 0.2
        done
    done
    [ -n "$next_box" ] || fail "after the printed report no key started the next analysis within 40 s"
    no_report_window
    shot 07-next-date-prompt
    xdotool key Escape
    deadline=$((SECONDS + 20))
    while [ "$SECONDS" -le "$deadline" ] && [ "$(focused_id)" = "$next_box" ]; do
        sleep 0.1
    done
    [ "$(focused_id)" != "$next_box" ] || fail "Escape did not close the date prompt"
    [ -z "$(window_with_title "$prompt_title")" ] || fail "a prompt is still open after Escape at the date"
    no_report_window
fi

step "clicking \"X\" and answering Return"
# Label1 ("X") is 33x33 at (312,320) of the main window.
click_in "$main" $((312 + 16)) $((320 + 16)) main
wait_for_focus "$exit_title" 20 >/dev/null
shot 09-exit-question
xdotool key Return

expect_clean_end

jobs=$(new_jobs)
[ "$(grep -c . <<<"$jobs" || true)" -eq 1 ] ||
    fail "expected exactly one print job, found ${jobs:+jobs }$(tr '\n' ' ' <<<"${jobs:-none}")"
echo "PASS ($mode): one printed page, exit status 0; screenshots in $shots"
