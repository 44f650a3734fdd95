#!/bin/sh
# A private CUPS scheduler for the tests that print through the real
# printing path: its own configuration, spool and log folders under one
# directory, listening on a unix socket in that directory only. The system's
# own scheduler (if any) is never touched.
#
# Usage:
#   cups_harness.sh start DIR [--no-default]
#   cups_harness.sh stop DIR
#
# start  creates DIR (removing what an earlier run left there, stopping its
#        scheduler first), writes cupsd.conf and cups-files.conf, starts
#        cupsd and waits until it answers. Without --no-default it creates
#        the queue "quendra-test" (a raw queue: jobs are kept as sent),
#        enables it, lets it accept jobs and makes it the default
#        destination. With --no-default the scheduler runs without any queue,
#        so there is no default printer.
# stop   stops the scheduler started in DIR and removes DIR.
#
# A client talks to this scheduler with these variables set:
#   CUPS_SERVER=DIR/cups.sock    the socket
#   CUPS_SERVERROOT=DIR/client   an empty client folder: no client.conf and no
#                                lpoptions of the machine can change the
#                                default destination
#   HOME=DIR/home                no per-user lpoptions either
# and LPDEST and PRINTER unset.
#
# Where jobs land:
#   DIR/spool/d<job id, 5 digits>-001
#                                every document as the queue received it:
#                                job files are preserved. The queue is raw,
#                                so a job from Qt is the PDF it sent.
#   The queue's device is the file DIR/out/quendra-test; a raw queue runs no
#   filter, so CUPS completes its jobs without writing anything there.
# `LC_ALL=C LC_MESSAGES=C lpstat -W completed -o quendra-test` (with the
# variables above) lists the finished jobs; lpstat otherwise answers in the
# desktop's language. The scheduler's log is DIR/log/error_log.
#
# CMake (tests/cups/CMakeLists.txt) runs it as two ctest fixtures, each with
# its own DIR under /tmp named after the build tree:
#   quendra_cups             the queue quendra-test as the default destination
#   quendra_cups_no_default  no queue at all
# A test joins one with FIXTURES_REQUIRED and takes its variables from
# QUENDRA_CUPS_ENVIRONMENT (or QUENDRA_CUPS_NO_DEFAULT_ENVIRONMENT) and
# QUENDRA_CUPS_ENVIRONMENT_MODIFICATION; QUENDRA_CUPS_DIR is set there too.
# Tests that print on quendra_cups take RESOURCE_LOCK quendra_cups, so that
# each one can count its own jobs. The cleanup step stops the scheduler also
# when a test fails.
#
# Runs as root (cupsd's filters then run as the "lp" user) or as an ordinary
# user (everything runs as that user).
set -eu

usage() {
    echo "usage: $0 start DIR [--no-default] | stop DIR" >&2
    exit 2
}

[ $# -ge 2 ] || usage
command=$1
dir=$2
with_queue=yes
if [ "${3:-}" = "--no-default" ]; then
    with_queue=no
elif [ $# -gt 2 ]; then
    usage
fi

case "$dir" in
/*) ;;
*) echo "$0: DIR must be an absolute path" >&2; exit 2 ;;
esac
# A unix socket path has room for about 100 characters.
if [ ${#dir} -gt 90 ]; then
    echo "$0: DIR is too long for a socket path: $dir" >&2
    exit 2
fi

client_env() {
    unset LPDEST PRINTER
    export CUPS_SERVER="$dir/cups.sock"
    export CUPS_SERVERROOT="$dir/client"
    export HOME="$dir/home"
}

# lpstat in English whatever the desktop's language, as its answers are
# compared as text. CUPS reads LC_MESSAGES even before LC_ALL, so both are set.
lpstat_c() {
    env LC_ALL=C LC_MESSAGES=C lpstat "$@"
}

stop_scheduler() {
    [ -f "$dir/cupsd.pid" ] || return 0
    pid=$(cat "$dir/cupsd.pid")
    rm -f "$dir/cupsd.pid"
    # Only the scheduler this harness started in DIR: it must still be a
    # cupsd reading DIR's configuration.
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null &&
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q -- "-c $dir/cupsd.conf"; then
        kill -TERM "$pid" 2>/dev/null || true
        i=0
        while kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        if kill -0 "$pid" 2>/dev/null; then
            kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
}

# DIR is removed at start and stop: only when it is empty or was made here.
remove_dir() {
    [ -e "$dir" ] || return 0
    if [ -f "$dir/.quendra-cups-harness" ] || [ -z "$(ls -A "$dir")" ]; then
        rm -rf "$dir"
    else
        echo "$0: $dir was not made by this harness; leaving it alone" >&2
        exit 1
    fi
}

start() {
    stop_scheduler
    remove_dir
    mkdir -p "$dir"
    touch "$dir/.quendra-cups-harness"
    mkdir -p "$dir/etc/ppd" "$dir/etc/ssl" "$dir/spool/tmp" "$dir/cache" "$dir/state" \
        "$dir/log" "$dir/out" "$dir/client" "$dir/home"
    chmod 0755 "$dir" "$dir/out"

    if [ "$(id -u)" -eq 0 ]; then
        # cupsd refuses to run its filters as root; they run as lp, which must
        # reach the spool and write the output folder.
        user=lp
        group=lp
        system_group=root
        chown "$user:$group" "$dir/out"
    else
        user=$(id -un)
        group=$(id -gn)
        system_group=$group
    fi

    cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
User $user
Group $group
SystemGroup $system_group
LogFileGroup $group
FileDevice Yes
Sandboxing Relaxed
CONF

    cat >"$dir/cupsd.conf" <<CONF
LogLevel info
Listen $dir/cups.sock
Browsing No
BrowseLocalProtocols none
DefaultAuthType None
WebInterface No
PreserveJobFiles Yes
PreserveJobHistory Yes
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

    # In the foreground of its own session, so that it outlives this script
    # and the test runner does not wait for its output.
    setsid cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" \
        </dev/null >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"

    client_env
    i=0
    until [ "$(lpstat_c -r 2>/dev/null)" = "scheduler is running" ]; do
        i=$((i + 1))
        if [ $i -gt 100 ] || ! kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null; then
            echo "$0: the scheduler did not start" >&2
            cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
            stop_scheduler
            exit 1
        fi
        sleep 0.1
    done

    if [ "$with_queue" = yes ]; then
        lpadmin -p quendra-test -E -v "file://$dir/out/quendra-test" \
            -D "Quendra test queue"
        cupsenable quendra-test
        cupsaccept quendra-test
        lpadmin -d quendra-test
        if [ "$(lpstat_c -d)" != "system default destination: quendra-test" ]; then
            echo "$0: quendra-test did not become the default destination" >&2
            lpstat_c -d >&2 || true
            stop_scheduler
            exit 1
        fi
    fi
    echo "CUPS_SERVER=$dir/cups.sock"
}

case "$command" in
start) start ;;
stop)
    stop_scheduler
    remove_dir
    ;;
*) usage ;;
esac
