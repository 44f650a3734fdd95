# shellcheck shell=bash
# Checks of an installed Quendra tree, shared by the package test and the
# desktop test (tests/e2e), which installs with cmake --install. Source it
# once the caller's fail exists; call check_installed_tree PREFIX VERSION.

pictures=(kopf.jpg logo.jpg P_normal.jpg P_smile.jpg P_böse.jpg p_roben.jpg)
app_id=org.example.quendra

# PREFIX is the installation prefix (the folder holding bin/, lib/, share/).
check_installed_tree() {
    local prefix=$1 version=$2
    local program_dir=$prefix/lib/quendra
    local program=$program_dir/quendra

    [ -f "$program" ] && [ ! -L "$program" ] || fail "no program file at $program"
    [ -x "$program" ] || fail "$program is not executable"

    # The program reads its pictures from its own directory, so all six must
    # lie right beside it, under their exact names.
    local picture
    for picture in "${pictures[@]}"; do
        [ -f "$program_dir/$picture" ] && [ -s "$program_dir/$picture" ] ||
            fail "$picture is not beside the program in $program_dir, or is empty"
    done

    # Qt's Wayland client with the frame-callback fix, beside the program and
    # found first: through the program's DT_RPATH (a RUNPATH is not searched
    # for the Wayland plugin's dependencies).
    local client=$program_dir/libQt6WaylandClient.so.6 dynamic
    [ -f "$client" ] || fail "no libQt6WaylandClient.so.6 beside the program in $program_dir"
    grep -q ' _ZN15QtWaylandClient14QWaylandWindow19handleFrameCallbackEP11wl_callback$' \
        <<<"$(readelf -W --dyn-syms "$client")" || fail "$client is not the one with the frame-callback fix"
    dynamic=$(readelf -d "$program")
    grep -q '(RPATH) *Library rpath: \[\$ORIGIN\]' <<<"$dynamic" ||
        fail "$program does not look for libraries beside itself first: $(grep -i path <<<"$dynamic")"
    ! grep -q RUNPATH <<<"$dynamic" || fail "$program has a RUNPATH, which overrides its RPATH"

    # The command on PATH: a relative link, so that it also holds inside a
    # staging directory or a package, and it must lead to the program file.
    local command=$prefix/bin/quendra
    [ -L "$command" ] || fail "$command is not a symbolic link"
    local target
    target=$(readlink "$command")
    case $target in
    /*) fail "$command points to the absolute path $target" ;;
    esac
    [ "$(readlink -f "$command")" = "$(readlink -f "$program")" ] ||
        fail "$command leads to $(readlink -f "$command"), not to $program"

    # The menu entry starts the command and names an icon that is installed.
    local desktop=$prefix/share/applications/$app_id.desktop
    [ -f "$desktop" ] || fail "no menu entry $desktop"
    local exec_line icon_name
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    icon_name=$(sed -n 's/^Icon=//p' "$desktop")
    [ "${exec_line%% *}" = quendra ] || fail "the menu entry runs '$exec_line', not quendra"
    [ "$icon_name" = "$app_id" ] || fail "the menu entry names the icon '$icon_name'"
    local icon
    for icon in scalable/apps/"$icon_name".svg {16x16,32x32,48x48,256x256}/apps/"$icon_name".png; do
        [ -f "$prefix/share/icons/hicolor/$icon" ] || fail "no icon $icon in $prefix/share/icons/hicolor"
    done

    # The software-centre description: the release of this build, and the
    # menu entry it launches.
    local metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
    [ -f "$metainfo" ] || fail "no AppStream file $metainfo"
    grep -q "<release version=\"$version\"" "$metainfo" ||
        fail "$metainfo has no release $version"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "$metainfo does not launch $app_id.desktop"
    grep -q "<id>$app_id</id>" "$metainfo" || fail "$metainfo has another id than $app_id"

    # The validators, where this machine has them.
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
    fi
    if command -v appstreamcli >/dev/null; then
        local verdict
        verdict=$(appstreamcli validate --no-net "$metainfo" 2>&1) ||
            fail "appstreamcli rejects $metainfo: $verdict"
    fi
}
