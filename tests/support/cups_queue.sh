# shellcheck shell=bash
# The jobs of the private CUPS queue (tests/cups/cups_harness.sh) for the
# shell tests that drive the real program. Source it once the caller's fail
# exists, QUENDRA_CUPS_DIR and the client variables of the harness are set and
# program_alive tells whether the program under test still runs; call
# remember_queue_jobs before the program can print.

queue=quendra-test
jobs_before=

# lpstat in English whatever the desktop's language, as its answers are
# parsed. CUPS reads LC_MESSAGES even before LC_ALL, so both are set.
lpstat_c() {
    env LC_ALL=C LC_MESSAGES=C lpstat "$@"
}

# Fails unless the scheduler has the test queue as its default destination.
check_default_queue() {
    unset LPDEST PRINTER
    [ "$(lpstat_c -d 2>/dev/null)" = "system default destination: $queue" ] ||
        fail "the test scheduler has no default queue $queue (lpstat -d: $(lpstat_c -d 2>&1))"
}

# Job ids of the queue, one a line, finished or not.
queue_jobs() {
    lpstat_c -W all -o "$queue" 2>/dev/null | sed -n "s/^$queue-\([0-9][0-9]*\) .*/\1/p" | sort -n
}

remember_queue_jobs() {
    jobs_before=$(queue_jobs)
}

# Ids of the jobs that arrived since remember_queue_jobs.
new_jobs() {
    comm -13 <(printf '%s\n' "$jobs_before" | sort) <(queue_jobs | sort) | sort -n
}

# Waits until a first new job exists and is finished; prints its id.
wait_for_printed_job() {
    local jobs id deadline=$((SECONDS + 30))
    while [ "$SECONDS" -le "$deadline" ]; do
        jobs=$(new_jobs)
        if [ -n "$jobs" ]; then
            id=$(head -n 1 <<<"$jobs")
            if lpstat_c -W completed -o "$queue" | grep -q "^$queue-$id "; then
                echo "$id"
                return 0
            fi
        fi
        program_alive || return 1
        sleep 0.1
    done
    return 1
}

# Checks the document of job $1, kept as $2/job-$1.pdf: one page, the
# report's heading, visitor $3 born on 24.1.1973, and each further text given.
check_printed_page() {
    local job=$1 shots=$2 visitor=$3 file pages text wanted
    shift 3
    file=$QUENDRA_CUPS_DIR/spool/d$(printf '%05d' "$job")-001
    [ -s "$file" ] || fail "job $job has no document in the spool ($file)"
    # Wine's printer driver sends PostScript; it is read back as a PDF.
    if [ "$(head -c 2 "$file")" = '%!' ]; then
        ps2pdf "$file" "$shots/job-$job.pdf" || fail "job $job is broken PostScript"
    else
        cp "$file" "$shots/job-$job.pdf"
    fi
    file=$shots/job-$job.pdf
    pages=$(pdfinfo "$file" 2>/dev/null | sed -n 's/^Pages: *//p')
    [ "$pages" = 1 ] || fail "job $job has ${pages:-no} pages, expected one"
    text=$(pdftotext -layout "$file" - 2>/dev/null)
    for wanted in 'Auswertung des Geburtsdatums:' "$visitor wurde am 24.1.1973 geboren" "$@"; do
        grep -qF "$wanted" <<<"$text" || fail "the page of job $job lacks \"$wanted\""
    done
    echo "job $job: one page for $visitor"
}
