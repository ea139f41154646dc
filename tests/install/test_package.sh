#!/usr/bin/env bash
# Checks the Debian package without installing it on this machine: builds it
# (package.sh runs lintian and appstreamcli on it), reads its control data and
# contents, unpacks it into a folder of its own and runs the program from there
# as a new user would. $1: source folder, $2: build folder.
set -u -o pipefail
src=$1 build=$2
fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d)
root=$work/root home=$work/home
mkdir -p "$root" "$home/run" "$home/tmp"
chmod 700 "$home/run"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

deb=$(bash "$src/scripts/package.sh" "$build" 2>"$work/package.log" | tail -n1) || { cat "$work/package.log"; fail "package.sh"; }

info=$(dpkg-deb -I "$deb") || fail "dpkg-deb -I $deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = gravik ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
for dep in qt6-qpa-plugins libqt6widgets6 libcups2; do
  grep -q "$dep" <<<"$(field Depends)" || fail "Depends lacks $dep: $(field Depends)"
done
grep -q '^ Installed-Size:' <<<"$info" || fail "no Installed-Size: $info"
contents=$(dpkg-deb -c "$deb") || fail "dpkg-deb -c"
for f in ./usr/bin/gravik ./usr/bin/gravik-print ./usr/share/gravik/1.txt ./usr/share/gravik/Baza.xml \
  ./usr/share/applications/kz.gravik.Gravik.desktop ./usr/share/metainfo/kz.gravik.Gravik.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/gravik.svg ./usr/share/man/man1/gravik.1.gz; do
  grep -q " $f\$" <<<"$contents" || fail "$f is not in the package"
done

dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
desktop-file-validate "$root/usr/share/applications/kz.gravik.Gravik.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/kz.gravik.Gravik.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate"

# The program's own folder must not be writable to the user, as under /usr: it
# then keeps its data in the user's home. root writes everywhere, so root runs
# it as nobody.
as=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$work"
  chown -R 65534:65534 "$home"
  as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod -R a-w "$root/usr"
fi

data=$home/.local/share/gravik
# Starts the unpacked program as a user with an empty home, waits until its
# window is up, then ends it with SIGTERM (which saves the state).
run() {
  "${as[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" TMPDIR="$home/tmp" \
    LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen "$root/usr/bin/gravik" 2>>"$work/gravik.log" &
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
defaults=$root/usr/share/gravik
sameAsDefaults() {
  for f in $(cd "$defaults" && find . -type f); do
    cmp -s "$defaults/$f" "$data/$f" || fail "$f differs from the packaged default"
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
cmp -s "$defaults/data/ph.txt" "$data/data/ph.txt" || fail "data/ph.txt was not put back"
echo "ok"
