# shellcheck shell=bash
# Windows under 64-bit Wine, on the X11 backend's Xvfb and openbox: Wine's
# windows are X11 windows, so keys, clicks, who holds the keyboard and the
# screenshots are X11's. The program is the one the Windows installer puts
# into a fresh Wine prefix. At the end the screenshots are held against the
# X11 run's (QUENDRA_REFERENCE_SHOTS), and the silent uninstaller must leave
# nothing behind.
# shellcheck source=x11.sh
source "$here/desktops/x11.sh"
wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver
desktop_tools+=("$wine" ps2pdf)
# Windows has one Quendra per session, whatever the platform.
lock_per=session
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quendra'
eval "x11_$(declare -f desktop_stop)"
# Wine passes a Windows program's activation on to the X server only while
# one of its windows holds the keyboard, so the keyboard is not taken away
# before the second start: there the knock is checked by its status alone.
unset -f desktop_take_focus

# The installer, made by CPack from the build tree, installs silently into a
# fresh prefix; $prefix/bin/quendra starts the installed program.
desktop_install() {
    local installer file
    (cd "$build" && LC_ALL=C.UTF-8 "$(dirname "$cmake")/cpack" --config CPackConfig.cmake \
        -B "$work/package") >"$work/install.log" 2>&1 || fail "CPack could not build the installer"
    installer=$(ls "$work"/package/Quendra-*-win64.exe)
    echo "$(basename "$installer"): $(($(stat -c %s "$installer") / 1024)) KiB"
    export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot could not make a prefix"
    # Without Windows' faces Wine picks a serif face for every sans one, and
    # for Times New Roman an OpenType face whose outlines its PostScript
    # driver leaves empty; Windows has them as TrueType, as are their metric
    # twins. Tahoma is the face of Wine's boxes.
    for face in 'Times New Roman=Liberation Serif' 'MS Sans Serif=Liberation Sans' \
        'Tahoma=Liberation Sans'; do
        "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%=*}" /t REG_SZ \
            /d "${face#*=}" /f >/dev/null 2>&1 || fail "cannot name Wine's ${face%=*}"
    done
    "$wine" "$installer" /S || fail "the installer ended with status $?"
    program_files="$WINEPREFIX/drive_c/Program Files/Quendra"
    start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quendra"
    for file in quendra.exe Uninstall.exe kopf.jpg logo.jpg P_normal.jpg P_smile.jpg P_böse.jpg \
        p_roben.jpg qtbase_de.qm qt.conf Qt6Core.dll Qt6PrintSupport.dll libstdc++-6.dll \
        platforms/qwindows.dll imageformats/qjpeg.dll imageformats/qgif.dll; do
        [ -f "$program_files/$file" ] || fail "the installation lacks $file"
    done
    [ -f "$start_menu/Quendra.lnk" ] || fail "no Start-menu entry Quendra"
    "$wine" reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 ||
        fail "no uninstall entry in the registry"
    # Until now Wine ran without a display; its session must end before the
    # program's starts with one.
    "$wineserver" -w
    lock_folder=$(echo "$WINEPREFIX"/drive_c/users/*/Temp)
    mkdir -p "$prefix/bin"
    printf '#!/bin/sh\nexec %s %s "$@"\n' "$wine" "'C:\\Program Files\\Quendra\\quendra.exe'" \
        >"$prefix/bin/quendra"
    chmod +x "$prefix/bin/quendra"
}
# The Windows Qt knows only its own platform.
desktop_program() {
    exec env -u QT_QPA_PLATFORM "$@"
}

desktop_stop() {
    x11_desktop_stop
    [ -z "${WINEPREFIX:-}" ] || "$wineserver" -k 2>/dev/null || true
}

# The main window behind the options window, and the report window's sheet,
# as under X11 on the same screen. Both shrunk to 5 %, the glyphs of another
# rasteriser and another widget style blur away; a missing picture or a
# wrong size or place does not (normalised RMSE: 0.02 to 0.03 under Wine,
# 0.06 and more for a sheet shifted by 12 pixels or drawn at 1.0 instead of
# 1.6, or a missing logo). The professor's face is chosen by chance and is
# left out.
compare_with_x11() {
    local name operations x0 y0 x1 y1 w h below difference
    read -r x0 y0 < <(design_point "$screen_width" "$screen_height" 24 0 main)
    read -r x1 y1 < <(design_point "$screen_width" "$screen_height" $((48 + 249)) $((104 + 353)) main)
    # The sheet, 509x521, lies 22 below the middle of the centred window;
    # less a margin for the frames of either window manager.
    read -r w h < <(design_point "$screen_width" "$screen_height" 509 521)
    read -r _ below < <(design_point "$screen_width" "$screen_height" 0 22)
    for name in 01-options 06-report-window; do
        if [ ! -f "${QUENDRA_REFERENCE_SHOTS:-}/$name.png" ]; then
            echo "note: no X11 screenshot $name.png to compare with (desktop_x11 of the Linux build makes it)"
            continue
        fi
        if [ "$name" = 01-options ]; then
            operations=(-fill black -draw "rectangle $x0,$y0 $x1,$y1")
        else
            operations=(-crop "$((w - 40))x$((h - 40))+$(((screen_width - w) / 2 + 20))+$(((screen_height - h) / 2 + below + 20))" +repage)
        fi
        difference=$(convert "$QUENDRA_REFERENCE_SHOTS/$name.png" "$shots/$name.png" "${operations[@]}" \
            -scale 5% -metric RMSE -compare -format '%[distortion]' info:) ||
            fail "could not compare $name.png with X11's"
        echo "$name: difference from X11's $difference"
        awk -v d="$difference" 'BEGIN { exit !(d <= 0.045) }' || fail "$name differs from X11's by $difference"
    done
}

# Runs after the flow: the screenshots, then the program ends and the silent
# uninstaller removes everything.
desktop_finish() {
    compare_with_x11
    kill_program
    "$wineserver" -w
    step "silent uninstallation"
    "$wine" 'C:\Program Files\Quendra\Uninstall.exe' /S || fail "the uninstaller ended with status $?"
    # It runs on as a copy of itself from the temporary folder; wait for that.
    "$wineserver" -w
    [ ! -e "$program_files" ] || fail "left behind: $(cd "$program_files" && find . | tr '\n' ' ')"
    [ ! -e "$start_menu" ] || fail "the Start-menu folder is left behind"
    ! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry is left in the registry"
}
