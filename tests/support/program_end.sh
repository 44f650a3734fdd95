# shellcheck shell=bash
# The end of the program under test, for the shell tests that drive it: set
# program_pid to the program once it runs; the caller's fail reports and exits.

# True while the program runs; a zombie has ended.
program_alive() {
    [ -n "$program_pid" ] || return 1
    local state
    state=$(awk '{print $3}' "/proc/$program_pid/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# Ends the program under test at once if it still runs.
kill_program() {
    if program_alive; then
        kill -KILL "$program_pid" 2>/dev/null || true
        { wait "$program_pid" || true; } 2>/dev/null
    fi
    program_pid=
}

# After $2 (Yes in the exit question unless given): the program must end
# within 20 s, with status $1 (0 unless given).
expect_clean_end() {
    local expected=${1:-0} after=${2:-Yes in the exit question} status='' deadline=$((SECONDS + 20))
    while [ "$SECONDS" -le "$deadline" ]; do
        if ! program_alive; then
            status=0
            wait "$program_pid" || status=$?
            program_pid=
            break
        fi
        sleep 0.1
    done
    [ -n "$status" ] || fail "the program still runs 20 s after $after"
    [ "$status" -eq "$expected" ] || fail "the program ended with status $status after $after, expected $expected"
}
