#!/usr/bin/env bash
# Builds the Debian package, installs it, runs the installed program as a new
# user would and removes the package again. $1: source folder, $2: build folder.
set -u -o pipefail
src=$1 build=$2
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "dpkg -i needs root"
dpkg-query -W -f='${Status}' gravik 2>/dev/null | grep -q 'install ok' && skip "gravik is installed on this machine already"

work=$(mktemp -d)
home=$work/home
mkdir "$home"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
  dpkg -r gravik >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

deb=$(bash "$src/scripts/package.sh" "$build" 2>"$work/package.log" | tail -n1) || { cat "$work/package.log"; fail "package.sh"; }
dpkg -i "$deb" >/dev/null || fail "dpkg -i $deb"
desktop-file-validate /usr/share/applications/kz.gravik.Gravik.desktop || fail "desktop-file-validate"
[ -f /usr/share/icons/hicolor/scalable/apps/gravik.svg ] || fail "no icon"

data=$home/.local/share/gravik
# Starts the installed program as a user with an empty home, waits until its
# window is up, then ends it with SIGTERM (which saves the state).
run() {
  env -i PATH=/usr/bin:/bin HOME="$home" LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen /usr/bin/gravik 2>>"$work/gravik.log" &
  pid=$!
  for _ in $(seq 100); do [ -f "$data/1.txt" ] && break; sleep 0.05; done
  sleep 1.5
  kill -0 "$pid" 2>/dev/null || { cat "$work/gravik.log"; fail "gravik ended early"; }
  "$@"
  kill -TERM "$pid"
  wait "$pid"
  local rc=$?
  pid=""
  [ $rc -eq 0 ] || { cat "$work/gravik.log"; fail "gravik exit $rc"; }
}
sameAsDefaults() {
  for f in $(cd /usr/share/gravik && find . -type f); do
    cmp -s "/usr/share/gravik/$f" "$data/$f" || fail "$f differs from the installed default"
  done
}
# Proof that closing writes the state: a line added while it runs is gone after.
addLine() { sameAsDefaults; printf 'extra line\r\n' >>"$data/1.txt"; }

run addLine
sameAsDefaults

# An edited state file is kept; a missing default file is put back.
sed -i '1s/.*/Edited\r/' "$data/1.txt"
rm "$data/data/ph.txt"
run true
[ "$(head -n1 "$data/1.txt")" = $'Edited\r' ] || fail "the edited 1.txt was not kept"
cmp -s /usr/share/gravik/data/ph.txt "$data/data/ph.txt" || fail "data/ph.txt was not put back"

dpkg -r gravik >/dev/null || fail "dpkg -r"
[ ! -e /usr/bin/gravik ] || fail "/usr/bin/gravik left behind"
echo "ok"
