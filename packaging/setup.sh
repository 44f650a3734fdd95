#!/usr/bin/env bash
# One-stop set-up on Debian 12.
#   packaging/setup.sh run    install what is missing, build a Release build, start Quendra
#   packaging/setup.sh test   install what is missing, build, run every test through ctest
#   packaging/setup.sh windows   install what is missing, get Qt for Windows, cross-build
#                             and pack build/windows/Quendra-<version>-win64.exe
# Both may be run again at any time: they install nothing that is there and
# rebuild only what changed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

# What building and running need: Qt with its X11 and Wayland platforms (and
# the private header of its scaling, set once the screen is known), and
# the Wayland client library and protocol descriptions for window activation;
# dpkg-dev and libxkbcommon-dev to rebuild Qt's Wayland client from Debian's
# source (packaging/wayland/get_qtwayland.sh).
run_packages=(
    cmake ninja-build g++ pkgconf
    qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-qpa-plugins qt6-wayland libgl-dev
    libcups2-dev
    libwayland-dev wayland-protocols dpkg-dev libxkbcommon-dev
    libfontconfig-dev fonts-liberation qt6-translations-l10n tzdata
)
# What the tests need on top: the desktops of the end-to-end tests, an X
# server with openbox and a keyboard robot, and Xorg with its dummy driver
# and xrandr for a screen that changes its size; the Wayland compositors sway,
# cage (which needs Xwayland to start), GNOME's mutter (driven over D-Bus
# from Python) and KDE's KWin (driven through its fake-input protocol,
# described in plasma-wayland-protocols); a keyboard robot, a screenshot
# tool, jq to read sway's window tree and ImageMagick to look at the
# screenshots and at the professor's size on a large screen; a private CUPS
# scheduler and the PDF tools to read back printed pages, clang's fuzzer
# runtime, and dpkg-dev for the package build. A screen reader's view: the
# accessibility bus, its Python client pyatspi, and faketime to pin the clock.
# The benchmarks (bench/run.sh) add Google Benchmark, hyperfine and pidstat
# (sysstat).
test_packages=(
    xvfb xauth xdotool x11-utils openbox
    at-spi2-core python3-pyatspi faketime
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    sway cage xwayland wtype grim jq imagemagick
    mutter kwin-wayland plasma-wayland-protocols dbus-daemon python3-gi gir1.2-glib-2.0
    cups cups-client cups-bsd poppler-utils
    clang libclang-rt-14-dev
    dpkg-dev file desktop-file-utils appstream
    libbenchmark-dev hyperfine sysstat
)

# The Windows build on top of the run packages: the mingw-w64 cross compilers,
# NSIS for the installer, 64-bit Wine, a window manager and Ghostscript (Wine
# prints PostScript) for its tests, xz for the ready Qt and dpkg-dev to unpack
# Debian's Qt source where there is none.
windows_packages=(g++-mingw-w64-x86-64-posix nsis wine64 openbox xz-utils ghostscript dpkg-dev)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        # Installing cups must not start a system scheduler: the tests run their own.
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

# The Windows tests run where the Qt for Windows is at hand without the hour
# it takes to build: ready beside the checkout (as in CI), or already unpacked
# or built into the cache by packaging/windows/get_qt.sh.
windows_qt_at_hand() {
    [ -f "$here/../shared/windows/qt6-mingw-6.4.2.tar.xz" ] ||
        [ -f "${QUENDRA_WINDOWS_QT:-${XDG_CACHE_HOME:-$HOME/.cache}/quendra/qt6-mingw-6.4.2}/.quendra-complete" ]
}

# Cross-builds the windows preset against the Qt of get_qt.sh.
build_windows() {
    bash packaging/windows/get_qt.sh >/dev/null || return 1
    build windows
}

# Configures and builds one preset; further arguments go to the configure step.
# The callers run it inside || lists, where set -e is off, so every failure
# must end it explicitly.
build() {
    local preset=$1 out
    shift
    # The configure chatter is shown only when it fails; errors go to stderr anyway.
    if ! out=$(cmake --preset "$preset" "$@"); then
        printf '%s\n' "$out" >&2
        echo "configuring the $preset preset failed" >&2
        return 1
    fi
    cmake --build --preset "$preset" || return 1
}

# Qt's Wayland client with the fix of its abort when a window hides, which
# the program carries beside itself: built once (some minutes), then taken
# from the cache.
get_wayland_client() {
    bash packaging/wayland/get_qtwayland.sh >/dev/null
}

case "${1:-}" in
run)
    install_missing "${run_packages[@]}"
    get_wayland_client
    # The program alone: the benchmarks are for developers (bench/README.md).
    build release -DQUENDRA_BENCH=OFF
    exec build/release/bin/quendra
    ;;
test)
    with_windows=
    if windows_qt_at_hand; then
        with_windows=yes
        install_missing "${run_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}"
    else
        install_missing "${run_packages[@]}" "${test_packages[@]}"
    fi
    get_wayland_client
    # Three trees, each run even when an earlier one failed, so that one run
    # shows every fault: the release build with every test, the same tests
    # under AddressSanitizer and UndefinedBehaviorSanitizer, and the entry
    # path under libFuzzer for a minute.
    failed=()
    { build release && ctest --preset release; } || failed+=("release tests")
    { build dev-asan && ctest --preset dev-asan; } || failed+=("sanitizer tests")
    { build fuzz && bash tests/fuzz/run_fuzzer.sh build/fuzz/bin/fuzz_entry 60; } ||
        failed+=("fuzzing")
    # The Windows build: its engine and report tests and its installer under Wine.
    if [ -n "$with_windows" ]; then
        { build_windows && ctest --preset windows; } || failed+=("Windows tests")
    else
        echo "Windows tests skipped: no Qt for Windows (bash packaging/setup.sh windows builds it)"
    fi
    if [ ${#failed[@]} -gt 0 ]; then
        echo "FAILED: ${failed[*]}" >&2
        exit 1
    fi
    echo "All tests passed: release, sanitizers, fuzzing${with_windows:+, Windows under Wine}."
    ;;
windows)
    install_missing "${run_packages[@]}" "${windows_packages[@]}"
    build_windows
    # makensis stumbles over the picture name with an umlaut in any locale
    # without UTF-8.
    (cd build/windows && LC_ALL=C.UTF-8 cpack --config CPackConfig.cmake >/dev/null)
    echo "Installer: build/windows/Quendra-$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -n 1)-win64.exe"
    ;;
*)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac
