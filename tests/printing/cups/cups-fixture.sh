#!/usr/bin/env bash
# The CUPS server the printing tests print through.
#   cups-fixture.sh setup    installs the capture backend, starts cupsd if none
#                            runs, creates the raw queues gravik-test and
#                            gravik-test2 and makes gravik-test the default.
#   cups-fixture.sh cleanup  removes the queues, puts the default back and
#                            stops cupsd if setup started it.
# Job N of queue Q lands in /var/spool/gravik-capture/Q/job-N.pdf (its title in
# job-N.title, its options in job-N.options). Several test runs may share the
# server: each run registers itself (by its ctest process) and the last one to
# leave takes it down.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
capture_root=${GRAVIK_CAPTURE_ROOT:-/var/spool/gravik-capture}
backend=/usr/lib/cups/backend/capture
state=$capture_root/.fixture
queues=(gravik-test gravik-test2)
# Where lpoptions -d keeps the default printer (root's own file on CUPS 2.4).
option_files=(/etc/cups/lpoptions "${HOME:-/root}/.cups/lpoptions")

die() { echo "cups-fixture: $*" >&2; exit 1; }

running() { lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; }

wait_running() {
    for _ in $(seq 1 100); do
        running && return 0
        sleep 0.2
    done
    return 1
}

# Drops holders whose test run has ended without its cleanup.
prune_holders() {
    local h
    for h in "$state"/holders/*; do
        [ -e "$h" ] || continue
        kill -0 "$(basename "$h")" 2>/dev/null || rm -f "$h"
    done
}

is_our_cupsd() { [ "$(cat "/proc/$1/comm" 2>/dev/null)" = cupsd ]; }

holders_left() { compgen -G "$state/holders/*" >/dev/null; }

setup() {
    [ "$(id -u)" -eq 0 ] || die "must run as root (it installs a CUPS backend and queues)"
    for tool in cupsd lpadmin lpstat lpoptions; do
        command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] ||
            die "$tool is missing: install the packages of scripts/packages.txt"
    done
    mkdir -p "$state/holders"
    prune_holders
    # What the first user finds is what the last one puts back; a run that
    # ended without its cleanup leaves its record for the next one to finish.
    if [ ! -d "$state/saved" ]; then
        mkdir -p "$state/saved.new"
        local f
        for f in "${option_files[@]}"; do
            if [ -f "$f" ]; then
                cp -p "$f" "$state/saved.new/$(echo "$f" | tr / _)"
            fi
        done
        mv "$state/saved.new" "$state/saved"
    fi
    if [ -f "$state/started-cupsd" ] && ! is_our_cupsd "$(cat "$state/started-cupsd")"; then
        rm -f "$state/started-cupsd"
    fi
    local first=1
    holders_left && first=0
    touch "$state/holders/$PPID"

    install -m 755 "$here/capture" "$backend"
    for q in "${queues[@]}"; do
        mkdir -p "$capture_root/$q"
        chmod 1777 "$capture_root/$q"
        # Job numbers can start again with a new server: no old job may pass for a new one.
        if [ "$first" -eq 1 ]; then
            rm -f "$capture_root/$q"/job-* "$capture_root/$q"/.job-*
        fi
    done

    if ! running; then
        setsid /usr/sbin/cupsd -f </dev/null >/dev/null 2>&1 9>&- &
        echo $! >"$state/started-cupsd"
        wait_running || die "cupsd did not start (see /var/log/cups/error_log)"
    fi

    for q in "${queues[@]}"; do
        lpadmin -p "$q" -E -v "capture:$capture_root/$q" -m raw 2>&1 |
            grep -v -i 'deprecated' >&2 || true
        lpstat -p "$q" >/dev/null 2>&1 || die "queue $q was not created"
    done
    lpadmin -d gravik-test
    lpoptions -d gravik-test >/dev/null
    [ "$(lpstat -d 2>/dev/null)" = "system default destination: gravik-test" ] ||
        die "gravik-test did not become the default printer: $(lpstat -d 2>&1)"
    echo "cups-fixture: queues ${queues[*]} ready, jobs land in $capture_root/<queue>/"
}

cleanup() {
    [ -d "$state" ] || exit 0
    rm -f "$state/holders/$PPID"
    prune_holders
    if holders_left; then
        echo "cups-fixture: another test run still uses the server; left as it is"
        exit 0
    fi
    for q in "${queues[@]}"; do
        lpadmin -x "$q" 2>/dev/null || true
    done
    local f saved
    for f in "${option_files[@]}"; do
        saved="$state/saved/$(echo "$f" | tr / _)"
        if [ -f "$saved" ]; then
            cp -p "$saved" "$f"
        else
            rm -f "$f"
        fi
    done
    rm -f "$backend"
    if [ -f "$state/started-cupsd" ]; then
        local pid
        pid=$(cat "$state/started-cupsd")
        if is_our_cupsd "$pid"; then
            kill "$pid"
            for _ in $(seq 1 50); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
    fi
    rm -rf "$state"
    echo "cups-fixture: queues removed"
}

mkdir -p "$capture_root"
exec 9>"$capture_root/.lock"
flock 9
case "${1:-}" in
    setup) setup ;;
    cleanup) cleanup ;;
    *) die "usage: $0 setup|cleanup" ;;
esac
