# shellcheck shell=bash
# What the scripts share that build a part of Qt once, outside every build
# tree (packaging/wayland/get_qtwayland.sh, packaging/windows/get_qt.sh): a
# folder in the user's cache or the one the caller names, counted as done
# when its stamp holds the expected text, a work folder beside it, and
# Debian's own source packages.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# cache_folder NAME [FOLDER]: FOLDER when given, else NAME in the user's cache.
cache_folder() {
    if [ -n "${2:-}" ]; then
        echo "$2"
    else
        echo "${XDG_CACHE_HOME:-$HOME/.cache}/quendra/$1"
    fi
}

# done_already FOLDER TEXT: ends the script with FOLDER printed when its
# stamp, written last, holds TEXT; an interrupted run left none.
done_already() {
    if [ -f "$1/.quendra-complete" ] && [ "$(cat "$1/.quendra-complete")" = "$2" ]; then
        echo "$1"
        exit 0
    fi
}

# start_work FOLDER: removes what an earlier run left of FOLDER and sets
# $work to a new folder beside it, removed when the script ends.
start_work() {
    local parent
    parent=$(dirname "$1")
    mkdir -p "$parent"
    rm -rf "$1"
    work=$(mktemp -d "$parent/.quendra-build.XXXXXX")
    # shellcheck disable=SC2064
    trap "rm -rf '$work'" EXIT
}

# debian_source PACKAGE[=VERSION] FOLDER: Debian's source of PACKAGE, with
# Debian's own patches, unpacked into $work/FOLDER.
debian_source() {
    local indexes package=${1%%=*}
    # apt-get source needs a source entry for bookworm; it is added once.
    # (Read whole, as grep -q would cut the pipe short under pipefail.)
    # shellcheck disable=SC2016
    indexes=$(apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null || true)
    if ! grep -qx Sources <<<"$indexes"; then
        printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
            'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
            as_root tee /etc/apt/sources.list.d/quendra-deb-src.sources >/dev/null
        as_root apt-get update -qq
    fi
    (cd "$work" && apt-get source -qq --download-only "$1" &&
        dpkg-source -x --no-check "$package"_*.dsc "$2" >/dev/null)
}

# finish BUILT FOLDER TEXT: puts BUILT in FOLDER's place, stamps it with
# TEXT and prints FOLDER.
finish() {
    mv "$1" "$2"
    echo "$3" >"$2/.quendra-complete"
    echo "$2"
}
