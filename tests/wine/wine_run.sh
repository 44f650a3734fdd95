#!/usr/bin/env bash
# Runs a cross-built Windows program under 64-bit Wine: wine_run.sh PREFIX
# DLL_FOLDERS PROGRAM [ARGUMENTS...]. PREFIX is a Wine prefix of its own,
# made on first use; DLL_FOLDERS (Linux paths, ':' between them) are put on
# the program's DLL search path. The program's status is the status.
set -euo pipefail

prefix=$1 dll_folders=$2
shift 2
# Debian's wine wrapper wants the 32-bit Wine; the 64-bit loader needs none.
wine=/usr/lib/wine/wine64
export WINEPREFIX=$prefix WINEDEBUG=-all
# No Mono or Gecko download prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Z: is the Linux root in every Wine prefix.
windows_path() {
    printf 'Z:%s' "${1//\//\\}"
}
path=
IFS=: read -r -a folders <<<"$dll_folders"
for folder in "${folders[@]}"; do
    path+="${path:+;}$(windows_path "$folder")"
done
export WINEPATH=$path

# One prefix for every test of the build tree, made once under a lock, as
# ctest may start tests side by side.
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        "$wine" wineboot -i >/dev/null 2>&1
        /usr/lib/wine/wineserver -w
    fi
) 9>"$prefix.lock"

exec "$wine" "$@"
