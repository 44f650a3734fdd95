#!/usr/bin/env bash
# The program on a 1920 x 1080 screen, as a visitor sees it: the options
# window, the professor talking and the report window, each checked for its
# size on the screen. Two modes:
#   scaled    the design 1080 / 588 times as large, centred in the spare width
#   original  with --originalgroesse: the design at 800 x 588 in the corner
# The professor is checked in a screenshot: the face pictures, enlarged by
# the same factor, must match what the screen shows where Prof lies.
#
# usage: scale_test.sh scaled|original PROGRAM SHOTS_DIR
#   PROGRAM  the built quendra; its six pictures lie beside it.
# Exit status 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

mode=$1
program=$2
shots=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
pictures=$(dirname "$program")

for tool in Xvfb xdotool xwininfo import compare convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

# Prof's rectangle and the three windows' client sizes on the screen.
if [ "$mode" = scaled ]; then
    arguments=() factor=1.836735 prof=(313 191 458 648)
    options_size=744x397 report_size=950x1052
else
    arguments=(--originalgroesse) factor=1 prof=(48 104 249 353)
    options_size=405x216 report_size=517x573
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quendra-scale.XXXXXX")
# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
trap 'end_x_session; rm -rf "$work"' EXIT

fail() {
    echo "FAIL ($mode): $*" >&2
    [ -n "${DISPLAY:-}" ] && import -window root "$shots/failure.png" 2>/dev/null || true
    exit 1
}

# The client size of the visible window titled $1, as WIDTHxHEIGHT, once it
# is up (at most 30 s).
window_size() {
    local id
    id=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) ||
        fail "no window \"$1\" within 30 s"
    xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

# How far the screen at Prof differs from the closest face picture enlarged
# by the factor (normalised root mean square, 0 to 1).
professor_difference() {
    local shot=$work/screen.png best=1 face size difference
    import -window root "$shot"
    for face in P_normal.jpg P_smile.jpg "P_böse.jpg"; do
        size=$(awk -v f="$factor" 'BEGIN { printf "%dx%d", 250 * f + 0.5, 350 * f + 0.5 }')
        convert "$pictures/$face" -resize "$size!" -crop "${prof[2]}x${prof[3]}+0+0" +repage \
            -background white -extent "${prof[2]}x${prof[3]}" "$work/face.png"
        convert "$shot" -crop "${prof[2]}x${prof[3]}+${prof[0]}+${prof[1]}" +repage "$work/prof.png"
        difference=$(compare -metric RMSE "$work/face.png" "$work/prof.png" null: 2>&1 |
            sed -n 's/.*(\(.*\)).*/\1/p')
        best=$(awk -v a="$best" -v b="$difference" 'BEGIN { print (b < a) ? b : a }')
    done
    cp "$shot" "$shots/02-professor.png"
    echo "$best"
}

mkdir -p "$shots"
start_x_server 1920x1080
"$program" "${arguments[@]}" </dev/null >"$work/program.log" 2>&1 &
program_pid=$!

# Within two pixels: Qt rounds each window to whole pixels of the screen.
about() {
    awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, "x"); split(b, y, "x")
        exit !((x[1] - y[1]) ^ 2 <= 4 && (x[2] - y[2]) ^ 2 <= 4) }'
}
size=$(window_size Programmoptionen)
about "$size" "$options_size" || fail "the options window is $size, not $options_size"
sleep 0.5
import -window root "$shots/01-options.png"
xdotool key Return

# The professor talks; his face changes every second, so look up to three times.
sleep 2
for attempt in 1 2 3; do
    difference=$(professor_difference)
    awk -v d="$difference" 'BEGIN { exit !(d < 0.06) }' && break
    [ "$attempt" = 3 ] && fail "the screen at Prof matches no face enlarged $factor times (RMSE $difference)"
    sleep 0.5
done
echo "professor: RMSE $difference against a face enlarged $factor times"

xdotool key space
window_size Eingabe >/dev/null
xdotool type --delay 30 24011973
xdotool key Return
sleep 1
xdotool type --delay 30 "Eva Muster"
xdotool key Return
size=$(window_size 'Hier ist Ihre Quendra')
about "$size" "$report_size" || fail "the report window is $size, not $report_size"
sleep 0.5
import -window root "$shots/03-report.png"
echo "PASS ($mode): options $options_size, report $report_size; screenshots in $shots"
