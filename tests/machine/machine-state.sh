#!/usr/bin/env bash
# What a test run must leave as it found it: the user's ~/.cups, the default
# printer and the printers (`lpstat -d`, `lpstat -v`) and the installed
# packages (`dpkg -l`).
#   machine-state.sh record DIR   notes them in DIR (before the tests)
#   machine-state.sh check DIR    fails, showing the difference, when they changed
set -u -o pipefail
mode=${1:-} dir=${2:-}
[ -n "$dir" ] || { echo "usage: $0 record|check DIR" >&2; exit 2; }

state() {
  echo "== ~/.cups"
  if [ -e "$HOME/.cups" ]; then
    (cd "$HOME/.cups" && find . -printf '%p %y %m\n' | LC_ALL=C sort &&
      find . -type f -print0 | LC_ALL=C sort -z | xargs -0r sha256sum)
  else
    echo "absent"
  fi
  echo "== lpstat -d"
  lpstat -d 2>&1
  echo "== lpstat -v"
  lpstat -v 2>&1
  echo "== dpkg -l"
  dpkg -l 2>&1
}

case "$mode" in
  record)
    mkdir -p "$dir"
    state >"$dir/before"
    ;;
  check)
    [ -f "$dir/before" ] || { echo "nothing recorded in $dir" >&2; exit 1; }
    state >"$dir/after"
    if ! diff -u "$dir/before" "$dir/after"; then
      echo "FAIL: the tests changed the machine (above: before and after)"
      exit 1
    fi
    echo "ok: ~/.cups, lpstat -d, lpstat -v and dpkg -l as before the tests"
    ;;
  *) echo "usage: $0 record|check DIR" >&2; exit 2 ;;
esac
