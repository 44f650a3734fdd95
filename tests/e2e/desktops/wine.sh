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
# Wine passes a Windows program's activation on to the X server only while
# one of its windows holds the keyboard, so the keyboard is not taken away
# before the second start: there the knock is checked by its status alone.
desktop_can=(hold_keys drag frames)
# Windows has one Quendra per session, whatever the platform.
lock_per=session
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quendra'

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
    x11_stop
    [ -z "${WINEPREFIX:-}" ] || "$wineserver" -k 2>/dev/null || true
}

# The program has ended; the silent uninstaller must remove everything.
desktop_uninstall() {
    "$wineserver" -w
    step "silent uninstallation"
    "$wine" 'C:\Program Files\Quendra\Uninstall.exe' /S || fail "the uninstaller ended with status $?"
    # It runs on as a copy of itself from the temporary folder; wait for that.
    "$wineserver" -w
    [ ! -e "$program_files" ] || fail "left behind: $(cd "$program_files" && find . | tr '\n' ' ')"
    [ ! -e "$start_menu" ] || fail "the Start-menu folder is left behind"
    ! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry is left in the registry"
}
