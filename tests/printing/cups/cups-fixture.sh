#!/usr/bin/env bash
# The tests' own print server: a cupsd of their own, with its configuration,
# spool, logs and socket under GRAVIK_CUPS_ROOT (in the build folder). The
# tests, and the program they start, reach it through CUPS_SERVER; the
# machine's scheduler, queues and default printer are never touched, and
# cleanup checks that `lpstat -d` and `lpstat -v` of the machine say what
# they said at setup.
#   cups-fixture.sh setup    starts the scheduler, installs the capture backend,
#                            creates the raw queues gravik-test (the default)
#                            and gravik-test2.
#   cups-fixture.sh cleanup  stops the scheduler and removes its folder.
# Job N of queue Q lands in $GRAVIK_CAPTURE_ROOT/Q/job-N.pdf (its title in
# job-N.title, its options in job-N.options).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=${GRAVIK_CUPS_ROOT:?GRAVIK_CUPS_ROOT names the folder of the private scheduler}
capture_root=${GRAVIK_CAPTURE_ROOT:-$root/capture}
socket=$root/run/cups.sock
queues=(gravik-test gravik-test2)

die() { echo "cups-fixture: $*" >&2; exit 1; }

# What the machine's own scheduler says, whatever this environment points at.
machine() { env -u CUPS_SERVER -u CUPS_SERVERROOT lpstat "$@" 2>&1 || true; }
ours() { CUPS_SERVER=$socket CUPS_SERVERROOT=$root/client "$@"; }

running() { ours lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; }

stop() {
    [ -f "$root/cupsd.pid" ] || return 0
    local pid
    pid=$(cat "$root/cupsd.pid")
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ]; then
        kill "$pid"
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -f "$root/cupsd.pid"
}

setup() {
    for tool in lpadmin lpstat; do
        command -v "$tool" >/dev/null || die "$tool is missing: install the packages of scripts/packages.txt"
    done
    [ -x /usr/sbin/cupsd ] || die "cupsd is missing: install the packages of scripts/packages.txt"
    stop
    rm -rf "$root"
    mkdir -p "$root"/{conf,client,run,spool/tmp,cache,log,serverbin/backend}
    machine -d >"$root/machine-default"
    machine -v >"$root/machine-devices"

    # The system's filters and helpers, our capture backend beside its own.
    local d
    for d in filter daemon notifier monitor cgi-bin driver; do
        [ -e "/usr/lib/cups/$d" ] && ln -s "/usr/lib/cups/$d" "$root/serverbin/$d"
    done
    install -m 755 "$here/capture" "$root/serverbin/backend/capture"
    cat >"$root/conf/cupsd.conf" <<CONF
Listen $socket
LogLevel warn
MaxLogSize 0
Browsing No
WebInterface No
DefaultAuthType None
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
<Location />
  Order deny,allow
  Allow all
</Location>
CONF
    cat >"$root/conf/cups-files.conf" <<CONF
ServerRoot $root/conf
ServerBin $root/serverbin
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/run
ErrorLog $root/log/error_log
AccessLog $root/log/access_log
PageLog $root/log/page_log
FileDevice No
Sandboxing Relaxed
SystemGroup root
CONF
    for q in "${queues[@]}"; do
        mkdir -p "$capture_root/$q"
        chmod 1777 "$capture_root/$q"
    done
    chmod 755 "$root" "$root/serverbin" "$root/serverbin/backend"
    chmod 711 "$root/run"

    setsid /usr/sbin/cupsd -f -c "$root/conf/cupsd.conf" -s "$root/conf/cups-files.conf" \
        </dev/null >"$root/log/cupsd.out" 2>&1 9>&- &
    echo $! >"$root/cupsd.pid"
    for _ in $(seq 1 100); do
        running && break
        sleep 0.1
    done
    running || die "the private cupsd did not start: $(tail -5 "$root/log/error_log" "$root/log/cupsd.out" 2>/dev/null)"

    for q in "${queues[@]}"; do
        ours lpadmin -p "$q" -E -v "capture:$capture_root/$q" -m raw 2>&1 | grep -v -i 'deprecated' >&2 || true
        ours lpstat -p "$q" >/dev/null 2>&1 || die "queue $q was not created"
    done
    ours lpadmin -d gravik-test
    [ "$(ours lpstat -d 2>/dev/null)" = "system default destination: gravik-test" ] ||
        die "gravik-test did not become the default printer: $(ours lpstat -d 2>&1)"
    echo "cups-fixture: private scheduler at $socket, queues ${queues[*]}, jobs in $capture_root/<queue>/"
}

cleanup() {
    [ -d "$root" ] || exit 0
    stop
    local status=0
    if [ "$(machine -d)" != "$(cat "$root/machine-default")" ] || [ "$(machine -v)" != "$(cat "$root/machine-devices")" ]; then
        echo "cups-fixture: the machine's printers changed during the tests:" >&2
        diff <(cat "$root/machine-default" "$root/machine-devices") <(machine -d; machine -v) >&2 || true
        status=1
    fi
    rm -rf "$root"
    echo "cups-fixture: private scheduler stopped"
    exit $status
}

case "${1:-}" in
    setup) setup ;;
    cleanup) cleanup ;;
    *) die "usage: $0 setup|cleanup" ;;
esac
