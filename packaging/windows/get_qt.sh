#!/usr/bin/env bash
# Puts Qt 6.4.2 for 64-bit Windows (mingw-w64) where the windows preset looks
# for it: $QUENDRA_WINDOWS_QT, else ${XDG_CACHE_HOME:-~/.cache}/quendra/qt6-mingw-6.4.2,
# outside every build tree so that a fresh build does not pay for it again.
#
# A ready build of the same recipe in ../shared/windows/qt6-mingw-6.4.2.tar.xz
# beside the checkout is unpacked (seconds); without it Qt is built from
# Debian's own source package qt6-base (about half an hour on two cores).
# Needs the mingw-w64 compilers, cmake, ninja and Debian's Qt host tools
# (packaging/setup.sh windows installs them). Prints the folder at the end.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
checkout=$(cd "$here/../.." && pwd)
version=6.4.2
if [ -n "${QUENDRA_WINDOWS_QT:-}" ]; then
    target=$QUENDRA_WINDOWS_QT
else
    target=${XDG_CACHE_HOME:-$HOME/.cache}/quendra/qt6-mingw-$version
fi
ready=$checkout/../shared/windows/qt6-mingw-$version.tar.xz
# Written last, so that an interrupted unpack or build is started again.
stamp=$target/.quendra-complete

if [ -f "$stamp" ]; then
    echo "$target"
    exit 0
fi

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

parent=$(dirname "$target")
mkdir -p "$parent"
rm -rf "$target"
work=$(mktemp -d "$parent/.qt-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
start=$SECONDS

if [ -f "$ready" ]; then
    echo "Unpacking the ready Qt for Windows from $(cd "$(dirname "$ready")" && pwd)" >&2
    tar -xJf "$ready" -C "$work"
    mv "$work/qt6-mingw" "$target"
else
    echo "No $ready: building Qt $version for Windows from Debian's source (about half an hour)" >&2
    # apt-get source needs a source entry for bookworm; it is added once.
    if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -qx Sources; then
        printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
            'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
            as_root tee /etc/apt/sources.list.d/quendra-deb-src.sources >/dev/null
        as_root apt-get update -qq
    fi
    (cd "$work" && apt-get source -qq --download-only qt6-base &&
        dpkg-source -x --no-check qt6-base_$version*.dsc qtbase >/dev/null)
    # Bundled third-party libraries throughout, so that only Qt's DLLs and the
    # mingw runtime go beside the program. Tablet events need wintab.h, which
    # Debian's source leaves out; the Windows platform plugin does not compile
    # with OpenGL off and dynamicgl on, nor the TLS plugin with ssl off and
    # schannel on.
    nice cmake -S "$work/qtbase" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$here/mingw.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$work/qt6-mingw" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DCMAKE_C_FLAGS="-ffile-prefix-map=$work=." -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$work=." \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
        -DFEATURE_xml=OFF -DFEATURE_ssl=OFF -DFEATURE_openssl=OFF -DFEATURE_vulkan=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
        -DFEATURE_system_doubleconversion=OFF -DFEATURE_tabletevent=OFF -DFEATURE_dynamicgl=OFF \
        -DFEATURE_schannel=OFF \
        -DFEATURE_testlib=ON -DFEATURE_printsupport=ON -DFEATURE_network=ON -DFEATURE_widgets=ON
    nice cmake --build "$work/build"
    cmake --install "$work/build" >/dev/null
    cp "$here/mingw.cmake" "$work/qt6-mingw/mingw.cmake"
    mv "$work/qt6-mingw" "$target"
fi

touch "$stamp"
echo "Qt for Windows ready in $((SECONDS - start)) s" >&2
echo "$target"
