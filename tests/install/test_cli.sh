#!/usr/bin/env bash
# gravik --version, --help and an unknown option. $1: the executable, $2: the version.
set -u
exe=$1 version=$2
fail() { echo "FAIL: $*"; exit 1; }

# No display at all: --version and --help must not need one.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --version) || fail "--version exit $?"
[ "$out" = "gravik $version" ] || fail "--version said: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --help) || fail "--help exit $?"
grep -q -- '--dir <DIR>' <<<"$out" || fail "--help lacks --dir: $out"

for bad in --no-such-option extra-argument; do
  err=$(QT_QPA_PLATFORM=offscreen timeout 20 "$exe" "$bad" 2>&1 >/dev/null)
  rc=$?
  [ $rc -eq 2 ] || fail "$bad: exit $rc, said: $err"
  grep -q -- "${bad#--}" <<<"$err" || fail "$bad: message does not name it: $err"
done
echo "ok"
