#!/usr/bin/env bash
# The installed program on native Wayland (QT_QPA_PLATFORM=wayland), under
# real wlroots compositors running headless. Three scenarios:
#   screen    under sway, keys typed with wtype, clicks through a virtual
#             pointer (virtual_click): the options window takes the keyboard
#             and Return confirms it; a key, date and name in the boxes; the
#             report window, Alt+B prints it (one job on the private CUPS
#             queue), Alt+D hands back to the main window; a wrong date gets
#             the error box, Return asks again, Escape gives up; a click on
#             "X" and Return end the program with status 0. sway is asked at
#             every step which window holds the keyboard.
#   printout  under sway, started with --ausdruck --lotto 49: no options
#             window; the first key, a date and a name print a 6 aus 49 page
#             at once; a second start ends with status 3 and leaves it be;
#             "X" and Return end it with status 0.
#   no_printer  under sway, started with --anzeige, on a scheduler without a
#             default printer: Alt+B in the report window gets the error box,
#             Return gives the keyboard back to the report window, Alt+D to
#             the main window.
#   cage      the kiosk recipe of the README: an autostart entry made from
#             the installed menu entry, its command run as the only program
#             under cage; the main window must paint (cage offers no virtual
#             keyboard, so nothing is typed).
#
# usage: wayland_test.sh screen|printout|no_printer|cage CMAKE BUILD_DIR SHOTS_DIR VIRTUAL_CLICK
#
# Compositors refuse to run as root; run by root, this script starts them as
# the unprivileged user nobody (setpriv) and talks to them from outside, which
# root may. Under cage the program itself is cage's child and runs as nobody
# too. The printer: the ctest fixture quendra_cups (tests/cups).
# Screenshots (grim) of the important moments are left in SHOTS_DIR.
set -euo pipefail

mode=${1:-}
cmake=${2:-}
build=${3:-}
shots=${4:-}
virtual_click=${5:-}
usage="usage: $0 screen|printout|no_printer|cage CMAKE BUILD_DIR SHOTS_DIR VIRTUAL_CLICK"
case "$mode" in
screen | printout | no_printer | cage) ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac
if [ -z "$cmake" ] || [ ! -d "$build" ] || [ -z "$shots" ] || [ ! -x "$virtual_click" ]; then
    echo "$usage" >&2
    exit 2
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ "$mode" = cage ]; then
    tools=(cage grim convert desktop-file-validate)
else
    tools=(sway swaymsg wtype grim jq convert lpstat pdfinfo pdftotext)
fi
[ "$(id -u)" -ne 0 ] || tools+=(setpriv)
for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
if [ "$mode" != cage ] && [ -z "${QUENDRA_CUPS_DIR:-}" ]; then
    echo "SKIP: needs a private CUPS scheduler (ctest fixture quendra_cups or quendra_cups_no_default)"
    exit 77
fi

main_title_prefix='Rirezavezerivadur'
options_title='Programmoptionen'
prompt_title='Eingabe'
report_title='Hier ist Ihre Quendra'
error_title='falsches Geburtsdatum'
exit_title='Ende'
print_failure_title='Drucken nicht möglich'
visitor='Wanda Weiland'
[ "$mode" != printout ] || visitor='Pia Pixel'
screen_width=1280
screen_height=1024

work=$(mktemp -d "${TMPDIR:-/tmp}/quendra-wayland.XXXXXX")
compositor_pid=
program_pid=
# shellcheck source=../support/program_end.sh
source "$here/../support/program_end.sh"

cleanup() {
    local status=$?
    if program_alive; then
        kill -KILL "$program_pid" 2>/dev/null || true
    fi
    if [ -n "$compositor_pid" ]; then
        kill "$compositor_pid" 2>/dev/null || true
        { wait "$compositor_pid" || true; } 2>/dev/null
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

step() { echo "--- $*"; }

fail() {
    echo "FAIL ($mode): $*" >&2
    if [ -n "${WAYLAND_DISPLAY:-}" ] && grim "$shots/failure.png" 2>/dev/null; then
        echo "screen at the failure: $shots/failure.png" >&2
    fi
    if [ -n "${SWAYSOCK:-}" ]; then
        echo "windows (focused, title):" >&2
        swaymsg -t get_tree 2>/dev/null |
            jq -r '.. | objects | select(.pid? != null) | "\(.focused)\t\(.name)"' >&2 || true
    fi
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; tail -n 40 "$log" >&2; }
    done
    exit 1
}

mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/*.pdf

# --- The installed program -----------------------------------------------
step "installing into a temporary prefix"
# nobody must reach the program under cage.
chmod 755 "$work"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install failed"
[ -x "$prefix/bin/quendra" ] || fail "no $prefix/bin/quendra after the installation"

# --- The compositor ------------------------------------------------------
# Its runtime folder holds its sockets; it belongs to the user it runs as.
compositor_dir=$work/compositor
mkdir -m 700 "$compositor_dir"
if [ "$(id -u)" -eq 0 ]; then
    chown nobody: "$compositor_dir"
    unprivileged=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
    unprivileged=()
fi

# Starts "$@" as the compositor, headless, with the software renderer and no
# input devices of its own.
start_compositor() {
    env -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u DISPLAY XDG_RUNTIME_DIR="$compositor_dir" \
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        "${unprivileged[@]}" "$@" </dev/null >"$work/compositor.log" 2>&1 &
    compositor_pid=$!
    local socket
    for _ in $(seq 200); do
        socket=$(find "$compositor_dir" -maxdepth 1 -type s -name 'wayland-*' | head -n 1)
        [ -n "$socket" ] && break
        kill -0 "$compositor_pid" 2>/dev/null || fail "the compositor ended at start"
        sleep 0.1
    done
    [ -n "$socket" ] || fail "the compositor offered no socket within 20 s"
    # A full path: the program keeps a runtime folder of its own.
    export WAYLAND_DISPLAY=$socket
}

if [ "$mode" = cage ]; then
    # --- The kiosk recipe: autostart entry, then cage ----------------------
    step "an autostart entry from the installed menu entry, as the README says"
    mkdir -p "$work/home/.config/autostart"
    entry=$work/home/.config/autostart/org.example.quendra.desktop
    sed 's/^Exec=quendra$/Exec=quendra --anzeige --lotto 45/' \
        "$prefix/share/applications/org.example.quendra.desktop" >"$entry"
    desktop-file-validate "$entry" || fail "the autostart entry is not a valid desktop entry"
    command_line=$(sed -n 's/^Exec=//p' "$entry")
    [ "$command_line" = 'quendra --anzeige --lotto 45' ] ||
        fail "the autostart entry runs \"$command_line\""

    step "cage -- $command_line"
    # The program as cage's only client, its pid left where cage's user may
    # write, its command line split into words as a desktop would.
    # shellcheck disable=SC2016,SC2086
    start_compositor cage -- sh -c 'echo $$ >"$1/program.pid"; shift; exec "$@"' sh \
        "$compositor_dir" env QT_QPA_PLATFORM=wayland PATH="$prefix/bin:/usr/bin:/bin" \
        LANG=C.UTF-8 LC_ALL=C.UTF-8 $command_line
    for _ in $(seq 100); do
        [ -s "$compositor_dir/program.pid" ] && break
        sleep 0.1
    done
    program_pid=$(cat "$compositor_dir/program.pid" 2>/dev/null) || fail "cage started no program"

    # Under cage a headless screenshot holds only what cage composited
    # lately (it redraws damage only, and shows a full-screen window's own
    # buffer without compositing it), so the test looks for the part that
    # changes ten times a second: the white speech bubble. The bubble
    # repaints only its newest letter, so a screenshot holds a letter or two
    # on black; the screenshots are laid over each other, the lightest pixel
    # kept, until a letter's white (500 pixels and more) has shown. A blank
    # screen has none.
    step "waiting for the main window to paint"
    white=0
    deadline=$((SECONDS + 30))
    while [ "$SECONDS" -le "$deadline" ]; do
        program_alive || fail "the program ended under cage"
        if grim "$work/screen.png" 2>/dev/null; then
            if [ -s "$work/seen.png" ]; then
                convert "$work/seen.png" "$work/screen.png" -compose lighten -composite \
                    "$work/seen.png"
            else
                cp "$work/screen.png" "$work/seen.png"
            fi
            white=$(convert "$work/seen.png" -fill black +opaque '#FFFFFF' \
                -format '%[fx:round(mean*w*h)]' info:)
            [ "$white" -ge 500 ] && break
        fi
        sleep 0.5
    done
    cp "$work/seen.png" "$shots/01-cage.png" 2>/dev/null || true
    [ "$white" -ge 500 ] || fail "the screen under cage stays blank ($white white pixels)"
    echo "PASS (cage): the kiosk command paints under cage ($white white pixels); $shots"
    exit 0
fi

# --- sway ----------------------------------------------------------------
step "starting sway"
# sway's own default turns a window's activation request into a mere
# urgency hint; a stand's configuration lets it through (README, "Kiosk").
cat >"$work/sway.config" <<'EOF'
output HEADLESS-1 resolution 1280x1024
focus_on_window_activation smart
xwayland disable
EOF
chmod 644 "$work/sway.config"
start_compositor sway -c "$work/sway.config"
for _ in $(seq 100); do
    SWAYSOCK=$(find "$compositor_dir" -maxdepth 1 -type s -name 'sway-ipc.*' | head -n 1)
    [ -n "$SWAYSOCK" ] && break
    sleep 0.1
done
[ -n "$SWAYSOCK" ] || fail "sway offered no IPC socket"
export SWAYSOCK

# shellcheck source=../support/cups_queue.sh
source "$here/../support/cups_queue.sh"
# shellcheck source=../support/design_point.sh
source "$here/../support/design_point.sh"
if [ "$mode" = no_printer ]; then
    unset LPDEST PRINTER
    ! lpstat_c -d 2>/dev/null | grep -q '^system default destination:' ||
        fail "the scheduler has a default printer: $(lpstat_c -d)"
else
    check_default_queue
    remember_queue_jobs
fi

# --- Looking at the screen -----------------------------------------------
# The program's windows as "id<TAB>focused<TAB>title" lines.
program_windows() {
    swaymsg -t get_tree |
        jq -r --argjson pid "$program_pid" \
            '.. | objects | select(.pid? == $pid) | "\(.id)\t\(.focused)\t\(.name)"'
}

window_shown() {
    program_windows | awk -F '\t' -v t="$1" '$3 == t { found = 1 } END { exit !found }'
}

# Waits up to $2 seconds until the window titled $1 holds the keyboard, and a
# different one than id $3 if given; prints its id.
wait_for_focus() {
    local title=$1 not=${3:-} id deadline=$((SECONDS + $2))
    while [ "$SECONDS" -le "$deadline" ]; do
        program_alive || fail "the program ended while waiting for \"$title\""
        id=$(program_windows | awk -F '\t' -v t="$title" '$2 == "true" && $3 == t { print $1 }')
        if [ -n "$id" ] && [ "$id" != "$not" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "\"$title\"${not:+ (a new one)} did not get the keyboard within $2 s"
}

wait_for_main_focus() {
    local deadline=$((SECONDS + $1))
    while [ "$SECONDS" -le "$deadline" ]; do
        program_alive || fail "the program ended while waiting for the main window"
        program_windows | awk -F '\t' -v p="$main_title_prefix" \
            '$2 == "true" && index($3, p) == 1 { found = 1 } END { exit !found }' && return 0
        sleep 0.1
    done
    fail "the main window did not get the keyboard back within $1 s"
}

shot() {
    grim "$shots/$1.png" || fail "screenshot $1 failed"
}

# The orange of the title "X" and the title's text on the last screenshot $1.
orange_pixels() {
    convert "$shots/$1.png" -fill black +opaque '#FF8000' -format '%[fx:round(mean*w*h)]' info:
}

# wtype's fresh virtual keyboard needs a moment before its first key counts.
key() { wtype -s 250 -k "$1"; }
type_text() { wtype -s 250 -d 30 "$1"; }
alt_key() { wtype -s 250 -M alt -k "$1" -m alt; }

# Types an answer into the box that holds the keyboard and confirms it.
answer() {
    type_text "$1"
    key Return
}

end_with_exit_question() {
    step "clicking \"X\" and answering Return"
    # Label1 ("X") is 33x33 at (312,320) of the main window's design, which
    # grows with the screen; the window fills the screen.
    local x y
    read -r x y < <(design_point "$screen_width" "$screen_height" $((312 + 16)) $((320 + 16)) main)
    "$virtual_click" "$x" "$y" "$screen_width" "$screen_height" ||
        fail "the virtual pointer could not click"
    wait_for_focus "$exit_title" 20 >/dev/null
    shot 09-exit-question
    key Return
    expect_clean_end
}

# --- The run -------------------------------------------------------------
mkdir -m 700 "$work/runtime"
case "$mode" in
screen) arguments=() ;;
printout) arguments=(--ausdruck --lotto 49) ;;
no_printer) arguments=(--anzeige) ;;
esac
step "starting the installed program natively on Wayland: quendra ${arguments[*]}"
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && exec env -u DISPLAY -u WAYLAND_SOCKET QT_QPA_PLATFORM=wayland \
    XDG_RUNTIME_DIR="$work/runtime" "$prefix/bin/quendra" "${arguments[@]}") \
    </dev/null >"$work/program.log" 2>&1 &
program_pid=$!

if [ "$mode" = screen ]; then
    wait_for_focus "$options_title" 30 >/dev/null
    program_windows | awk -F '\t' -v p="$main_title_prefix" 'index($3, p) == 1 { found = 1 }
        END { exit !found }' || fail "the options window is up but no main window"
    sleep 0.5 # the first face and the window contents settle for the picture
    shot 01-options
    step "Return confirms the options"
    key Return
    wait_for_main_focus 20
    ! window_shown "$options_title" || fail "the options window is still shown after Return"
else
    wait_for_main_focus 30
    sleep 1
    ! window_shown "$options_title" || fail "the options window opened despite ${arguments[*]}"
fi

# The professor types his first sentence, ten characters a second.
sleep 2.5
shot 02-professor-speaking
orange=$(orange_pixels 02-professor-speaking)
[ "$orange" -ge 1000 ] || fail "the main window shows no orange title ($orange pixels)"

step "a key starts an analysis; date and name in the boxes"
key space
date_box=$(wait_for_focus "$prompt_title" 20)
shot 03-date-prompt
answer 24011973
wait_for_focus "$prompt_title" 20 "$date_box" >/dev/null
type_text "$visitor"
shot 04-name-prompt
key Return

if [ "$mode" = printout ]; then
    job=$(wait_for_printed_job) || fail "no finished print job within 30 s after the name"
    check_printed_page "$job" "$shots" "$visitor" 'Lottozahlen (6 aus 49) berechnet:'
    ! window_shown "$report_title" || fail "a report window opened although --ausdruck was given"
    wait_for_main_focus 20
    shot 05-after-printing

    step "a second start on the same Wayland display ends at once"
    status=0
    env -u DISPLAY QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$work/runtime" timeout 20 \
        "$prefix/bin/quendra" >"$work/second.out" 2>"$work/second.log" || status=$?
    if [ "$status" -ne 3 ]; then
        cat "$work/second.log" >&2
        fail "the second start ended with status $status, expected 3"
    fi
    grep -q '^quendra: Quendra läuft auf dieser Anzeige bereits' "$work/second.log" ||
        fail "the second start did not say that Quendra runs already"
    [ "$(program_windows | wc -l)" -eq 1 ] || fail "the running program shows more than its main window"
    wait_for_main_focus 5
elif [ "$mode" = no_printer ]; then
    wait_for_focus "$report_title" 30 >/dev/null
    step "Alt+B without a printer gets the error box"
    alt_key b
    wait_for_focus "$print_failure_title" 30 >/dev/null
    shot 05-print-failure
    key Return
    wait_for_focus "$report_title" 20 >/dev/null
    shot 06-report-window-again
    step "Alt+D hands over to the next person"
    alt_key d
    wait_for_main_focus 20
    ! window_shown "$report_title" || fail "the report window is still shown after Alt+D"
else
    wait_for_focus "$report_title" 30 >/dev/null
    [ -z "$(new_jobs)" ] || fail "something was printed before \"Bitte ausdrucken\""
    sleep 0.5
    shot 05-report-window

    step "Alt+B prints the report"
    alt_key b
    job=$(wait_for_printed_job) || fail "no finished print job within 30 s after Alt+B"
    check_printed_page "$job" "$shots" "$visitor" 'Lottozahlen (6 aus 45) berechnet:'
    wait_for_focus "$report_title" 10 >/dev/null

    step "Alt+D hands over to the next person"
    alt_key d
    wait_for_main_focus 20
    ! window_shown "$report_title" || fail "the report window is still shown after Alt+D"
    shot 06-after-report

    step "a wrong date gets the error box, then the date is asked again"
    # Keys are ignored until the professor has finished his sentence, so a
    # lone Shift, which types nothing into a box, is pressed until one opens.
    date_box=
    deadline=$((SECONDS + 40))
    while [ -z "$date_box" ] && [ "$SECONDS" -le "$deadline" ]; do
        program_alive || fail "the program ended after the report"
        key Shift_L
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            date_box=$(program_windows |
                awk -F '\t' -v t="$prompt_title" '$2 == "true" && $3 == t { print $1 }')
            [ -n "$date_box" ] && break
            sleep 0.2
        done
    done
    [ -n "$date_box" ] || fail "no key started the next analysis within 40 s"
    answer 31131973
    name_box=$(wait_for_focus "$prompt_title" 20 "$date_box")
    answer "$visitor"
    wait_for_focus "$error_title" 20 >/dev/null
    shot 07-error-box
    key Return
    wait_for_focus "$prompt_title" 20 "$name_box" >/dev/null
    shot 08-date-asked-again
    key Escape
    wait_for_main_focus 20
    ! window_shown "$prompt_title" || fail "a box is still open after Escape"
    ! window_shown "$report_title" || fail "the report window opened after Escape"
fi

end_with_exit_question
if [ "$mode" = no_printer ]; then
    echo "PASS ($mode): every window took the keyboard, the printer fault was reported, exit status 0; $shots"
    exit 0
fi
jobs=$(new_jobs)
[ "$(grep -c . <<<"$jobs" || true)" -eq 1 ] ||
    fail "expected exactly one print job, found ${jobs:+jobs }$(tr '\n' ' ' <<<"${jobs:-none}")"
echo "PASS ($mode): every window took the keyboard, one printed page, exit status 0; $shots"
