# shellcheck shell=bash
# cage, the kiosk compositor, headless: the program is its only client, run
# by the README's kiosk recipe; cage offers no virtual keyboard, so the test
# only looks at the screen (grim).
desktop_tools=(cage grim desktop-file-validate)
# shellcheck source=wayland.sh
source "$here/desktops/wayland.sh"

desktop_kiosk() {
    step "an autostart entry from the installed menu entry, as the README says"
    mkdir -p "$work/home/.config/autostart"
    local entry=$work/home/.config/autostart/org.example.quendra.desktop command_line white=0
    sed 's/^Exec=quendra$/Exec=quendra --anzeige --lotto 45/' \
        "$prefix/share/applications/org.example.quendra.desktop" >"$entry"
    desktop-file-validate "$entry" || fail "the autostart entry is not a valid desktop entry"
    command_line=$(sed -n 's/^Exec=//p' "$entry")
    [ "$command_line" = 'quendra --anzeige --lotto 45' ] || fail "the autostart entry runs \"$command_line\""

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

    # Under cage a headless screenshot holds only what cage composited lately
    # (it redraws damage only, and shows a full-screen window's own buffer
    # without compositing it), and the bubble repaints only its newest
    # letter: so the screenshots are laid over each other, the lightest pixel
    # kept, until a letter's white (500 pixels and more) has shown. A blank
    # screen has none.
    step "waiting for the main window to paint"
    local deadline=$((SECONDS + 30))
    while [ "$SECONDS" -le "$deadline" ]; do
        program_alive || fail "the program ended under cage"
        if grim "$work/screen.png" 2>/dev/null; then
            if [ -s "$work/seen.png" ]; then
                convert "$work/seen.png" "$work/screen.png" -compose lighten -composite "$work/seen.png"
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
    expect_wayland_client
    echo "PASS (cage): the kiosk command paints under cage ($white white pixels); $shots"
}
