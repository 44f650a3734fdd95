#!/usr/bin/env bash
# Builds the Debian package from the build tree into a temporary folder and
# checks what dpkg would install: the control fields, the dependencies that
# dpkg-shlibdeps found plus the run-time pieces it cannot see, and the same
# installed tree as cmake --install lays out.
# usage: package_test.sh CPACK BUILD_DIR VERSION
set -euo pipefail

cpack=$1
build=$2
version=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# shellcheck source=layout.sh
source "$here/layout.sh"

for tool in dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: building the package needs $tool (dpkg-dev)"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quendra-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack failed"
fi
shopt -s nullglob
debs=("$work"/out/quendra_"$version"_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one quendra_${version}_*.deb, found: $(ls "$work/out")"
deb=${debs[0]}
echo "built $(basename "$deb")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = quendra ] || fail "package name is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "package version is '$(field Version)'"
[ "$(field Maintainer)" = "Quendra-Werkstatt <post@quendra.example.org>" ] ||
    fail "maintainer is '$(field Maintainer)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "architecture is '$(field Architecture)'"

# Depends: the libraries the program file links (found by dpkg-shlibdeps),
# and what Qt loads at run time without linking it.
depends=$(field Depends)
echo "Depends: $depends"
for package in libqt6widgets6 libqt6printsupport6 libqt6gui6 libqt6network6 libqt6core6 \
    libwayland-client0 libstdc++6 fonts-liberation qt6-translations-l10n; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package"
done
# The Wayland client it carries is built against Qt's private interface of
# exactly this Qt.
[[ $depends =~ (^|, )qt6-base-abi\ \(=\ 6\.4\.2\)(,|$) ]] || fail "Depends lacks qt6-base-abi (= 6.4.2)"
# Qt's Wayland platform is recommended, not required: X11 needs none of it.
[ "$(field Recommends)" = qt6-wayland ] || fail "Recommends is '$(field Recommends)', not qt6-wayland"

# Unpack as dpkg would and check the tree under /usr.
dpkg-deb --extract "$deb" "$work/root"
check_installed_tree "$work/root/usr" "$version"
# What Debian expects of every package: its copyright and changelog, and a
# manual page for each command.
for file in share/doc/quendra/copyright share/doc/quendra/changelog.gz share/man/man1/quendra.1.gz; do
    [ -s "$work/root/usr/$file" ] || fail "the package lacks /usr/$file"
done
zcat "$work/root/usr/share/doc/quendra/changelog.gz" | head -n 1 | grep -q "^quendra ($version) " ||
    fail "the changelog does not start with version $version"
# Nothing outside /usr.
outside=$(cd "$work/root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"
echo "package content is complete"
