#!/usr/bin/env bash
# The Windows installer under 64-bit Wine on a private X server: it installs
# silently into a fresh Wine prefix, the installed program starts and its
# options window takes the keys and a second start ends, a report is shown and
# printed on a private CUPS queue, the program ends through its exit question,
# and the silent uninstaller leaves nothing behind.
#   installer_test.sh CPACK_COMMAND BUILD_DIR SHOTS_DIR
# Builds the installer with CPack first. Skips (77) without Xvfb or xdotool.
set -euo pipefail

cpack=$1 build=$2 shots=$3
support=$(cd "$(dirname "${BASH_SOURCE[0]}")/../support" && pwd)
wine=/usr/lib/wine/wine64
for tool in Xvfb xdotool "$wine"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

work=$(mktemp -d)
rm -rf "$shots"
mkdir -p "$shots"
fail() {
    echo "FAIL: $*" >&2
    if [ -n "${xvfb_pid:-}" ]; then
        import -window root "$shots/failure.png" 2>/dev/null || true
    fi
    exit 1
}
# shellcheck source=../support/x_session.sh
source "$support/x_session.sh"
# shellcheck source=../support/program_end.sh
source "$support/program_end.sh"
# shellcheck source=../support/design_point.sh
source "$support/design_point.sh"
cleanup() {
    [ -z "${wm_pid:-}" ] || kill "$wm_pid" 2>/dev/null || true
    end_x_session
    WINEPREFIX=$work/prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    sh "$support/../cups/cups_harness.sh" stop "$work/cups" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "--- the installer"
(cd "$build" && LC_ALL=C.UTF-8 "$cpack" --config CPackConfig.cmake -B "$work/package" >/dev/null) ||
    fail "CPack could not build the installer"
installer=$(ls "$work"/package/Quendra-*-win64.exe)
echo "$(basename "$installer"): $(($(stat -c %s "$installer") / 1024)) KiB"

# A private CUPS scheduler with a default queue: Wine hands it to Windows
# programs as their default printer.
cups=$work/cups
sh "$support/../cups/cups_harness.sh" start "$cups" >/dev/null || fail "no CUPS scheduler"
export CUPS_SERVER=$cups/cups.sock CUPS_SERVERROOT=$cups/client HOME=$cups/home QUENDRA_CUPS_DIR=$cups
unset LPDEST PRINTER
# shellcheck source=../support/cups_queue.sh
source "$support/cups_queue.sh"
check_default_queue

start_x_server 1280x1024
# The Windows Qt draws through Wine; the Linux platform choice means nothing to it.
unset QT_QPA_PLATFORM
# A window manager hands the keyboard to the window that asks for it.
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    wm_pid=$!
fi
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot could not make a prefix"
# Wine has no Times New Roman and picks an OpenType face whose outlines its
# PostScript driver leaves empty; Windows has it as TrueType, as is its
# metric twin.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /t REG_SZ \
    /d 'Liberation Serif' /f >/dev/null 2>&1 || fail "cannot name Wine's Times New Roman"

program_files="$WINEPREFIX/drive_c/Program Files/Quendra"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quendra"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quendra'

echo "--- silent installation"
"$wine" "$installer" /S || fail "the installer ended with status $?"
/usr/lib/wine/wineserver -w
for file in quendra.exe Uninstall.exe kopf.jpg logo.jpg P_normal.jpg P_smile.jpg P_böse.jpg \
    p_roben.jpg qtbase_de.qm qt.conf Qt6Core.dll Qt6PrintSupport.dll libstdc++-6.dll \
    platforms/qwindows.dll imageformats/qjpeg.dll imageformats/qgif.dll; do
    [ -f "$program_files/$file" ] || fail "the installation lacks $file"
done
[ -f "$start_menu/Quendra.lnk" ] || fail "no Start-menu entry Quendra"
"$wine" reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 ||
    fail "no uninstall entry in the registry"

echo "--- the installed program"
started=$(date +%s%N)
"$wine" 'C:\Program Files\Quendra\quendra.exe' >"$work/program.log" 2>&1 &
program_pid=$!

# The window with the title $1, once it has the keyboard (at most $2 s).
wait_for_focus() {
    local deadline=$((SECONDS + $2))
    while [ "$SECONDS" -le "$deadline" ]; do
        program_alive || fail "the program ended while waiting for \"$1\""
        [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "\"$1\" did not get the keyboard within $2 s"
}
wait_for_gone() {
    local deadline=$((SECONDS + $2))
    while [ "$SECONDS" -le "$deadline" ]; do
        program_windows | cut -f 2 | grep -qxF "$1" || return 0
        sleep 0.1
    done
    fail "\"$1\" is still shown after $2 s"
}

wait_for_focus Programmoptionen 60
echo "options window after $((($(date +%s%N) - started) / 1000000)) ms"
program_windows | cut -f 2 | grep -q '^Rirezavezerivadur' || fail "no main window beside the options"
import -window root "$shots/options.png"
# Once per Windows session: a second start knocks and ends with status 3.
status=0
"$wine" 'C:\Program Files\Quendra\quendra.exe' >/dev/null 2>&1 || status=$?
[ "$status" = 3 ] || fail "a second start ended with status $status, expected 3"
wait_for_focus Programmoptionen 20
xdotool key Return
wait_for_gone Programmoptionen 20

echo "--- a report on the screen"
sleep 1
xdotool key space
wait_for_focus Eingabe 20
xdotool type --delay 30 24011973
xdotool key Return
sleep 1
wait_for_focus Eingabe 20
xdotool type --delay 30 Eva
xdotool key Return
wait_for_focus 'Hier ist Ihre Quendra' 30
import -window root "$shots/report.png"

echo "--- the same report printed"
remember_queue_jobs
xdotool key alt+b
job=$(wait_for_printed_job) || fail "no job reached the CUPS queue within 30 s"
# Wine's printer driver sends PostScript; read it back as a PDF.
file=$cups/spool/d$(printf '%05d' "$job")-001
cp "$file" "$shots/job-$job.ps"
ps2pdf "$file" "$shots/job-$job.pdf" || fail "job $job is no PostScript ($(file -b "$file"))"
text=$(pdftotext -layout "$shots/job-$job.pdf" -)
for wanted in 'Auswertung des Geburtsdatums:' 'Eva wurde am 24.1.1973 geboren'; do
    grep -qF "$wanted" <<<"$text" || fail "the page of job $job lacks \"$wanted\""
done
echo "job $job: $(pdfinfo "$shots/job-$job.pdf" | sed -n 's/^Pages: *//p') page(s) for Eva"
wait_for_focus 'Hier ist Ihre Quendra' 30
xdotool key alt+d
wait_for_gone 'Hier ist Ihre Quendra' 20

echo "--- the end through the exit question"
main=$(program_windows | awk -F '\t' 'index($2, "Rirezavezerivadur") == 1 { print $1; exit }')
[ -n "$main" ] || fail "the main window is gone"
# Label1 ("X") is 33x33 at (312,320) of the main window's design.
read -r width height < <(xdotool getdisplaygeometry)
read -r x y < <(design_point "$width" "$height" $((312 + 16)) $((320 + 16)) main)
sleep 1
xdotool mousemove "$x" "$y" click 1
wait_for_focus Ende 20
xdotool key Return
expect_clean_end

echo "--- silent uninstallation"
"$wine" 'C:\Program Files\Quendra\Uninstall.exe' /S || fail "the uninstaller ended with status $?"
# It runs on as a copy of itself from the temporary folder; wait for that.
/usr/lib/wine/wineserver -w
[ ! -e "$program_files" ] || fail "left behind: $(cd "$program_files" && find . | tr '\n' ' ')"
[ ! -e "$start_menu" ] || fail "the Start-menu folder is left behind"
if "$wine" reg query "$uninstall_key" >/dev/null 2>&1; then
    fail "the uninstall entry is left in the registry"
fi
echo "installed, started, reported, ended and uninstalled under Wine"
