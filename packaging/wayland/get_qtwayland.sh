#!/usr/bin/env bash
# Puts Qt's Wayland client library, rebuilt from Debian's own qt6-wayland
# 6.4.2 with upstream's change 551a788f, into $QUENDRA_WAYLAND_CLIENT, else
# ${XDG_CACHE_HOME:-~/.cache}/quendra/qt6-waylandclient-6.4.2, outside every
# build tree so that a fresh build does not pay for it again.
#
# Qt 6.4.2's client destroys a window's pending frame callback on the main
# thread while its event thread may destroy the same one: the program then
# aborts in wl_proxy_unref when a window hides. The change takes the frame
# lock on both sides; Qt 6.4.3 has it, Debian 12 does not. Only the library
# is built, against Debian's installed Qt: Debian's own wayland platform
# plugin loads it from beside the program (app/CMakeLists.txt).
#
# About six minutes on two cores, once. Needs cmake, ninja, dpkg-dev and
# Debian's Qt and Wayland development packages (packaging/setup.sh installs
# them). Prints the folder at the end.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=SCRIPTDIR/../cached_build.sh
source "$here/../cached_build.sh"
version=6.4.2
patch=$here/frame-callback-lock.patch
target=$(cache_folder "qt6-waylandclient-$version" "${QUENDRA_WAYLAND_CLIENT:-}")
# The stamp holds the patch's checksum, so that a changed patch builds again.
sum=$(sha256sum "$patch" | cut -d' ' -f1)
done_already "$target" "$sum"
start_work "$target"
start=$SECONDS

echo "Building Qt's Wayland client $version with the frame-callback fix (about six minutes, once)" >&2
# The source of exactly the installed library, with Debian's own patches:
# the library must be Debian's but for the one change, since Debian's
# platform plugin is built against it.
installed=$(dpkg-query -W -f='${source:Version}' libqt6waylandclient6)
case $installed in
$version-*) ;;
*) echo "libqt6waylandclient6 is $installed, not $version" >&2; exit 1 ;;
esac
debian_source qt6-wayland="$installed" qtwayland
patch -d "$work/qtwayland" -p1 --forward --quiet <"$patch"
# The compositor half and everything but the client library are left out.
nice cmake -S "$work/qtwayland" -B "$work/build" -G Ninja -Wno-dev \
    -DCMAKE_BUILD_TYPE=Release -DFEATURE_wayland_server=OFF \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DCMAKE_C_FLAGS="-ffile-prefix-map=$work=." -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$work=." \
    >"$work/configure.log" || { cat "$work/configure.log" >&2; exit 1; }
nice cmake --build "$work/build" --target WaylandClient
mkdir -p "$work/lib"
cp -P "$work"/build/lib/*/libQt6WaylandClient.so.6* "$work/lib/"
echo "Qt's Wayland client ready in $((SECONDS - start)) s" >&2
finish "$work/lib" "$target" "$sum"
