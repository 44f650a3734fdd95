#!/usr/bin/env bash
# Runs the libFuzzer target for a bounded time, starting from the committed
# seeds, and fails on any crash, hang, leak or sanitizer report.
#
# usage: run_fuzzer.sh FUZZER SECONDS
#   FUZZER   the fuzz_entry program of a tree configured with the fuzz preset
#   SECONDS  how long to fuzz
# New inputs go to fuzz-corpus/ beside the program's build tree (kept between
# runs, never into the committed seeds); a failing input is written to
# fuzz-artifacts/ there, and can be replayed with: FUZZER <file>.
set -uo pipefail

fuzzer=$1
seconds=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tree=$(cd "$(dirname "$fuzzer")/.." && pwd)
corpus=$tree/fuzz-corpus
artifacts=$tree/fuzz-artifacts
log=$tree/fuzz.log
mkdir -p "$corpus" "$artifacts"

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LANG=C.UTF-8 LC_ALL=C.UTF-8

status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=1024 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" "$here/corpus" >"$log" 2>&1 || status=$?

if [ "$status" -ne 0 ] || grep -E -q 'ERROR: |runtime error:|WARNING: .*Sanitizer|violated:' "$log"; then
    tail -n 80 "$log" >&2
    echo "FAIL: the fuzzer found a fault (status $status); the input is in $artifacts" >&2
    exit 1
fi
if ! grep -q '^Done [0-9]* runs in' "$log"; then
    tail -n 40 "$log" >&2
    echo "FAIL: the fuzzer did not run to its end" >&2
    exit 1
fi
grep -E '^Done |stat::number_of_executed_units|stat::peak_rss_mb|cov: ' "$log" | tail -n 4
echo "fuzzing: ${seconds} s without a fault"
