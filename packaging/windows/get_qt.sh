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
# shellcheck source=SCRIPTDIR/../cached_build.sh
source "$here/../cached_build.sh"
checkout=$(cd "$here/../.." && pwd)
version=6.4.2
target=$(cache_folder "qt6-mingw-$version" "${QUENDRA_WINDOWS_QT:-}")
ready=$checkout/../shared/windows/qt6-mingw-$version.tar.xz
done_already "$target" ""
start_work "$target"
start=$SECONDS

if [ -f "$ready" ]; then
    echo "Unpacking the ready Qt for Windows from $(cd "$(dirname "$ready")" && pwd)" >&2
    tar -xJf "$ready" -C "$work"
else
    echo "No $ready: building Qt $version for Windows from Debian's source (about half an hour)" >&2
    debian_source qt6-base qtbase
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
fi
echo "Qt for Windows ready in $((SECONDS - start)) s" >&2
finish "$work/qt6-mingw" "$target" ""
