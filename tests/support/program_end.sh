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

# After Yes in the exit question: the program must end within 20 s, with
# status 0.
expect_clean_end() {
    local status='' deadline=$((SECONDS + 20))
    while [ "$SECONDS" -le "$deadline" ]; do
        if ! program_alive; then
            status=0
            wait "$program_pid" || status=$?
            program_pid=
            break
        fi
        sleep 0.1
    done
    [ -n "$status" ] || fail "the program still runs 20 s after Yes in the exit question"
    [ "$status" -eq 0 ] || fail "the program ended with status $status after Yes, expected 0"
}
