#!/usr/bin/env bash
# Runs every benchmark of the program and prints one table of figures and
# targets on stdout, then hyperfine's tables of the start-ups; progress and
# hyperfine's comparisons go to stderr.
#
# Usage: bench/run.sh BUILD_DIR
#
# BUILD_DIR is a configured and built tree (a Release build, please) with
# bin/quendra, bin/report_bench, bin/first_frame, bin/screen_hash,
# bin/engine_bench and bin/bare_window. The script starts its own X servers
# (Xvfb, one per screen size and program) and its own print scheduler
# (tests/cups/cups_harness.sh) and stops them again. Start times come from
# hyperfine, CPU time and resident set from pidstat and ps, the engine's
# times from Google Benchmark. Exit status 0 when every target is met, 1 when
# one is missed, 2 when something could not be measured.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
bin=$build/bin
for program in quendra report_bench first_frame screen_hash engine_bench bare_window; do
    if [ ! -x "$bin/$program" ]; then
        echo "$0: $bin/$program is missing: build it first" >&2
        exit 2
    fi
done
for tool in Xvfb xdotool cupsd lpadmin hyperfine pidstat jq fc-list; do
    if ! command -v "$tool" >/dev/null; then
        echo "$0: $tool is missing (Debian: xvfb, xdotool, cups, hyperfine, sysstat, jq, fontconfig)" >&2
        exit 2
    fi
done

say() { echo "bench: $*" >&2; }
fail() {
    say "$*"
    exit 2
}

# Everything in memory, as a desktop session has its runtime folder.
work=$(mktemp -d /dev/shm/quendra-bench.XXXXXX)
cups_dir=$work/cups
programs=()
servers=()
cleanup() {
    local pid
    for pid in "${programs[@]}" "${servers[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    sh "$source_dir/tests/cups/cups_harness.sh" stop "$cups_dir" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# The program as a user runs it: German, Berlin time, the X platform.
export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=Europe/Berlin
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
# shellcheck source=../tests/support/x_session.sh
source "$source_dir/tests/support/x_session.sh"

# A session: an X server of the given size with a runtime folder of its
# own. Arguments: name, WIDTHxHEIGHT. Sets display[name] and runtime[name].
declare -A display runtime server
open_session() {
    mkdir "$work/$1"
    work=$work/$1 start_x_server "$2"
    display[$1]=$DISPLAY runtime[$1]=$XDG_RUNTIME_DIR server[$1]=$xvfb_pid
    servers+=("$xvfb_pid")
}
# Runs a command in a session.
in_session() {
    local name=$1
    shift
    DISPLAY=${display[$name]} XDG_RUNTIME_DIR=${runtime[$name]} "$@"
}
# Starts a program in a session and keeps its process id in pid[name].
declare -A pid
start_in() {
    local name=$1
    shift
    env DISPLAY="${display[$name]}" XDG_RUNTIME_DIR="${runtime[$name]}" "$@" >"$work/$name/program.log" 2>&1 &
    pid[$name]=$! programs+=($!)
}
# Reads name=value lines into variables prefixed with the given word.
read_values() {
    local prefix=$1 file=$2 name value
    while IFS='=' read -r name value; do
        [[ $name =~ ^[a-z0-9_]+$ ]] && printf -v "${prefix}_$name" '%s' "$value"
    done <"$file"
}
resident_kib() { ps -o rss= -p "$1" | tr -d ' '; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
font_faces=$(fc-list | wc -l)

# 1. The engine, with Google Benchmark: medians of five repetitions.
say "engine benchmarks"
"$bin/engine_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$work/engine.json" 2>"$work/engine.err" ||
    fail "engine_bench failed: $(cat "$work/engine.err")"
engine_us() {
    jq -r --arg name "$1_median" '.benchmarks[] | select(.name == $name)
        | .real_time * {"ns": 0.001, "us": 1, "ms": 1000, "s": 1000000}[.time_unit]
        | . * 100 | round / 100' "$work/engine.json"
}

# 2. Reports in one process: memory and latency, printing on a private queue.
say "500 screen reports and 20 printed ones in one process"
open_session reports 1920x1080
sh "$source_dir/tests/cups/cups_harness.sh" start "$cups_dir" >/dev/null
(
    unset LPDEST PRINTER
    export CUPS_SERVER=$cups_dir/cups.sock CUPS_SERVERROOT=$cups_dir/client HOME=$cups_dir/home
    in_session reports "$bin/report_bench" --screen 500 --printed 20
) >"$work/reports.txt" 2>"$work/reports.err" || fail "report_bench failed: $(cat "$work/reports.err")"
read_values rep "$work/reports.txt"
sh "$source_dir/tests/cups/cups_harness.sh" stop "$cups_dir" >/dev/null

# 3. Start-up on each screen size: hyperfine starts the program and the bare
# window (bench/bare_window.cpp) on the same X server, one warm-up and ten
# measured starts each, through first_frame, which ends at the first painted
# frame. Every start finds an empty runtime folder, no lock of the one before.
# The 1280 x 1024 server also serves the program at its original size.
startup() { # session, output name, then name=command pairs
    local session=$1 out=$2 names=() commands=() pair
    shift 2
    for pair in "$@"; do
        names+=(-n "${pair%%=*}")
        commands+=("$bin/first_frame ${pair#*=}")
    done
    in_session "$session" hyperfine -N --warmup 1 --runs 10 --style basic \
        --prepare "find ${runtime[$session]} -mindepth 1 -delete" \
        --export-json "$work/$out.json" --export-markdown "$work/$out.md" \
        "${names[@]}" "${commands[@]}" >&2 ||
        fail "a start on $session failed (run first_frame by hand there to see why)"
}
median_ms() { # output name, command name
    jq -r --arg name "$2" '.results[] | select(.command == $name) | .median * 1000' "$work/$1.json"
}
sizes=(1280x1024 1920x1080 3840x2160)
for size in "${sizes[@]}"; do
    open_session "program-$size" "$size"
done
open_session program-original 1280x1024
say "start-up at 1280x1024, original size and grown"
startup program-1280x1024 start-1280x1024 "bare window=-- $bin/bare_window" \
    "original size=-- $bin/quendra --originalgroesse" "quendra=-- $bin/quendra"
say "start-up at 1920x1080, and the main window mapped"
startup program-1920x1080 start-1920x1080 "bare window=-- $bin/bare_window" "quendra=-- $bin/quendra"
startup program-1920x1080 mapped-1920x1080 "mapped=--mapped -- $bin/quendra"
say "start-up at 3840x2160"
startup program-3840x2160 start-3840x2160 "bare window=-- $bin/bare_window" "quendra=-- $bin/quendra"
# One more start for first_frame's own figures: the time between two checks.
in_session program-1920x1080 "$bin/first_frame" -- "$bin/quendra" >"$work/frame.txt" ||
    fail "first_frame failed"
read_values frame "$work/frame.txt"

# 4. Idle: every program on its own server, as a user starts it, the options
# window confirmed with Return, and a bare window on a server of each size.
# All of them at once over one round of the professor's ten sentences (488
# letters at 100 ms: 49 s); pidstat reads their CPU time and resident set,
# and that of the X server at 1920 x 1080 beside it.
idle_seconds=50
confirm_options() { # session
    local options
    options=$(in_session "$1" timeout 20 xdotool search --sync --onlyvisible --name '^Programmoptionen$' |
        head -n 1) || fail "the options window did not come up on $1"
    in_session "$1" xdotool windowfocus --sync "$options" key Return
    for _ in $(seq 100); do
        in_session "$1" xdotool search --onlyvisible --name '^Programmoptionen$' >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "Return did not confirm the options on $1"
}
declare -A rss_start
for session in program-original "${sizes[@]/#/program-}"; do
    find "${runtime[$session]}" -mindepth 1 -delete
    options=()
    [ "$session" = program-original ] && options=(--originalgroesse)
    start_in "$session" "$bin/quendra" "${options[@]}"
    confirm_options "$session"
    rss_start[$session]=$(resident_kib "${pid[$session]}")
done
for size in "${sizes[@]}"; do
    open_session "bare-$size" "$size"
    start_in "bare-$size" "$bin/bare_window"
done
# The professors must really be talking: each screen keeps changing.
for session in program-original "${sizes[@]/#/program-}"; do
    for _ in 1 2 3; do
        in_session "$session" "$bin/screen_hash"
        sleep 0.5
    done >"$work/$session/hashes"
    [ "$(sort -u "$work/$session/hashes" | wc -l)" -ge 2 ] || fail "the professor is not talking on $session"
done
say "idle: ${#pid[@]} programs over $idle_seconds s of speech"
pids=$(printf '%s,' "${pid[@]}" "${server[program-1920x1080]}")
pidstat -h -u -r -p "${pids%,}" "$idle_seconds" 1 >"$work/pidstat.txt"
# PID, %CPU and RSS (KiB) of each, by the column names of pidstat's header.
awk '/^#/ { for (i = 2; i <= NF; ++i) column[$i] = i - 1; next }
     NF && column["PID"] { print $column["PID"], $column["%CPU"], $column["RSS"] }' \
    "$work/pidstat.txt" >"$work/idle.txt"
idle_of() { awk -v pid="$1" '$1 == pid { print $2 }' "$work/idle.txt"; }
rss_of() { awk -v pid="$1" '$1 == pid { print $3 }' "$work/idle.txt"; }

# 5. The resident set once one screen report, typed as a visitor types it,
# has opened the report window.
declare -A rss_report
for session in program-original "${sizes[@]/#/program-}"; do
    in_session "$session" xdotool key space
    in_session "$session" timeout 20 xdotool search --sync --onlyvisible --name '^Eingabe$' >/dev/null ||
        fail "no input box on $session"
    in_session "$session" xdotool type --delay 20 24011973
    in_session "$session" xdotool key Return
    sleep 1
    in_session "$session" xdotool type --delay 20 'Eva Muster'
    in_session "$session" xdotool key Return
    rss_report[$session]=0
    if in_session "$session" timeout 30 xdotool search --sync --onlyvisible \
        --name '^Hier ist Ihre Quendra$' >/dev/null; then
        sleep 1
        rss_report[$session]=$(resident_kib "${pid[$session]}")
    fi
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The table.
missed=0
row() { # name, value, target (text), met (yes/no/-)
    printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4"
    [ "$4" = no ] && missed=1
    return 0
}
calc() { awk "BEGIN { printf $1 }"; }
ms() { calc "\"%.1f ms\", $1"; }
mib() { calc "\"%.1f MiB\", $1 / 1024"; }
ratio() { calc "($2 > 0) ? sprintf(\"%.2f\", $1 / $2) : \"-\""; }
below() { calc "\"%s\", ($1 < $2) ? \"yes\" : \"no\""; }
both() { [ "$1" = yes ] && [ "$2" = yes ] && echo yes || echo no; }

echo "Quendra benchmarks, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, $font_faces font faces," \
    "load average $load_before before, $load_after after, $SECONDS s"
echo
echo "| Figure | Measured | Target | Met |"
echo "|---|---|---|---|"
for name in reject_50001_days_back reject_future_date analyse_accepted_entry; do
    value=$(engine_us "$name")
    row "engine: $name (median of 5)" "$value µs" "< 20 µs" "$(below "$value" 20)"
done
for name in accept_24011973 literal_search_50001_days_back; do
    row "engine: $name (median of 5)" "$(engine_us "$name") µs" "-" "-"
done
startup_median=$(median_ms start-1920x1080 quendra)
row "start-up to first painted frame at 1920x1080 (median of 10)" "$(ms "$startup_median")" "< 300 ms" \
    "$(below "$startup_median" 300)"
row "start-up: fastest / slowest of 10" "$(jq -r '.results[] | select(.command == "quendra")
    | "\(.min * 1000 | round) ms / \(.max * 1000 | round) ms"' "$work/start-1920x1080.json")" "-" "-"
row "start-up: window mapped (median)" "$(ms "$(median_ms mapped-1920x1080 mapped)")" "-" "-"
row "start-up: check interval (resolution)" "$(ms "$frame_check_interval_ms")" "-" "-"
idle_program=$(idle_of "${pid[program-1920x1080]}")
row "idle CPU over $idle_seconds s of speech at 1920x1080 (program)" "$idle_program % of one core" "< 1 %" \
    "$(below "$idle_program" 1)"
row "idle CPU of the X server meanwhile" "$(idle_of "${server[program-1920x1080]}") % of one core" "-" "-"
row "resident set of the program after start / after the idle time (X)" \
    "$(mib "${rss_start[program-1920x1080]}") / $(mib "$(rss_of "${pid[program-1920x1080]}")")" "-" "-"
row "resident set after start (in-process bench)" "$(mib "$rep_rss_start_kib")" "< 80 MiB" \
    "$(below "$rep_rss_start_kib" $((80 * 1024)))"
row "resident set after 500 reports" "$(mib "$rep_rss_end_kib")" "< 80 MiB" \
    "$(below "$rep_rss_end_kib" $((80 * 1024)))"
growth=$((rep_rss_end_kib - rep_rss_start_kib))
row "growth from start to the 500th report" "$(mib "$growth")" "< 2 MiB" \
    "$(below "$growth" $((2 * 1024)))"
row "growth from start to the 1st / the 100th report" \
    "$(mib $((rep_rss_after_first_report_kib - rep_rss_start_kib))) / $(mib $((rep_rss_after_100_reports_kib - rep_rss_start_kib)))" \
    "-" "-"
row "growth from start to the 500th report: anonymous / file-backed / shared with X" \
    "$(mib "$rep_rss_anonymous_growth_kib") / $(mib "$rep_rss_file_growth_kib") / $(mib "$rep_rss_shared_growth_kib")" \
    "-" "-"
steady=$((rep_rss_end_kib - rep_rss_after_100_reports_kib))
row "growth from the 100th to the 500th report (per-report growth)" "$(mib "$steady")" \
    "< 2 MiB" "$(below "$steady" $((2 * 1024)))"
row "open descriptors after start / after 500 reports" \
    "$rep_descriptors_start / $rep_descriptors_end" "no growth" \
    "$([ "$rep_descriptors_end" -le "$rep_descriptors_start" ] && echo yes || echo no)"
row "sheet changed with every report (of 499 compared)" \
    "$((499 - rep_sheets_unchanged))" "499" "$([ "$rep_sheets_unchanged" -eq 0 ] && echo yes || echo no)"
row "accepted name to blatt drawn: median ($rep_screen_latency_count reports)" \
    "$(ms "$rep_screen_latency_median_ms")" "< 5 ms" "$(below "$rep_screen_latency_median_ms" 5)"
row "accepted name to blatt drawn: 95th percentile / max" \
    "$(ms "$rep_screen_latency_p95_ms") / $(ms "$rep_screen_latency_max_ms")" "< 5 ms" \
    "$(below "$rep_screen_latency_p95_ms" 5)"
row "compute and draw called directly: median / max" \
    "$(ms "$rep_direct_draw_median_ms") / $(ms "$rep_direct_draw_max_ms")" "-" "-"
row "accepted name to job handed to CUPS: median ($rep_print_latency_count reports)" \
    "$(ms "$rep_print_latency_median_ms")" "< 200 ms" "$(below "$rep_print_latency_median_ms" 200)"
row "accepted name to job handed to CUPS: 95th percentile / max" \
    "$(ms "$rep_print_latency_p95_ms") / $(ms "$rep_print_latency_max_ms")" "< 200 ms" \
    "$(below "$rep_print_latency_p95_ms" 200)"
row "first printed report (printer looked up first)" "$(ms "$rep_first_print_ms")" "-" "-"
row "jobs the scheduler received" "$rep_jobs_added" "$rep_printed_reports" \
    "$([ "$rep_jobs_added" -eq "$rep_printed_reports" ] && echo yes || echo no)"
for session in program-original "${sizes[@]/#/program-}"; do
    if [ "$session" = program-original ]; then
        size=1280x1024 label="1280x1024 original size" start=$(median_ms start-1280x1024 "original size")
    else
        size=${session#program-} label=${session#program-} start=$(median_ms "start-$size" quendra)
    fi
    bare_start=$(median_ms "start-$size" "bare window")
    start_ratio=$(ratio "$start" "$bare_start")
    row "$label: start-up to first painted frame, median of 10 (bare window; ratio)" \
        "$(ms "$start") ($(ms "$bare_start"); ${start_ratio}×)" "< 300 ms, < 1.5× bare" \
        "$(both "$(below "$start" 300)" "$(below "$start_ratio" 1.5)")"
    idle=$(idle_of "${pid[$session]}") bare_idle=$(idle_of "${pid[bare-$size]}")
    row "$label: idle CPU over $idle_seconds s of speech (bare window; ratio)" \
        "$idle % of one core ($bare_idle %; $(ratio "$idle" "$bare_idle")×)" "< 1 %" "$(below "$idle" 1)"
    rss_idle=$(rss_of "${pid[$session]}") bare_rss=$(rss_of "${pid[bare-$size]}")
    rss_ratio=$(ratio "$rss_idle" "$bare_rss")
    if [ "${rss_report[$session]}" -gt 0 ]; then
        report_rss=$(mib "${rss_report[$session]}") report_met=$(below "${rss_report[$session]}" $((150 * 1024)))
    else
        report_rss="not measured: no report window" report_met=no
    fi
    [ "$size" = 3840x2160 ] && [ "$(below "$rss_ratio" 2)" = no ] && report_met=no
    row "$label: resident set after the idle time (bare window; ratio) / with the report window open" \
        "$(mib "$rss_idle") ($(mib "$bare_rss"); ${rss_ratio}×) / $report_rss" \
        "< 150 MiB; at 4K < 2× bare" "$report_met"
done
for size in "${sizes[@]}"; do
    echo
    echo "Start-up at $size (hyperfine: first_frame, process start to the first painted frame):"
    echo
    cat "$work/start-$size.md"
done
exit $missed
