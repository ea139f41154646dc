#!/usr/bin/env bash
# Builds what the Windows build links against, from Debian's own source
# packages, cross-compiled with MinGW-w64 into a cache outside the repository:
# zlib, expat and SQLite (static), then Qt 6.4.2's base (shared: Core, Gui,
# Widgets, PrintSupport, Sql with its SQLite driver). Skipped when the cache is
# complete. The first run takes about an hour on two cores.
#
#   GRAVIK_WINDOWS_CACHE  the cache folder (default ~/.cache/gravik/windows)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cache="${GRAVIK_WINDOWS_CACHE:-$HOME/.cache/gravik/windows}"
prefix="$cache/prefix"
stamp="$prefix/.complete"
recipe="qt6-base=6.4.2+dfsg-10 zlib expat sqlite3 patches=$( { cat "$here"/patches/*.patch 2>/dev/null || true; } | sha1sum | cut -c1-12)"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  echo "Windows libraries: already built in $prefix"
  exit 0
fi

bash "$here/../install-deps.sh" "$here/packages.txt"

mkdir -p "$cache"
cp "$here/mingw64.cmake" "$cache/mingw64.cmake"
src="$cache/src"
work="$cache/work"
rm -rf "$work" "$prefix" "$src"
mkdir -p "$src" "$work" "$prefix/lib" "$prefix/include"
jobs="$(nproc)"

# Source packages come from the machine's own Debian archive, through a private
# apt state so the machine's package lists stay as they were.
apt_dir="$cache/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
uris="$(grep -rhoE 'https?://[^ ]+' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null || true)"
archive="$(grep -E '/debian/?$' <<<"$uris" | head -1 || true)"
suite="$(. /etc/os-release && echo "$VERSION_CODENAME")"
# The release's own archive with its point releases (the security archive's
# sources are not reachable from every machine).
printf 'deb-src %s %s main\ndeb-src %s %s-updates main\n' \
  "${archive:-http://deb.debian.org/debian}" "$suite" "${archive:-http://deb.debian.org/debian}" "$suite" \
  > "$apt_dir/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=root")
apt-get "${apt_opts[@]}" update -q
fetch() { # fetch PACKAGE[=VERSION] -> unpacked tree under $src
  # The archive may have moved past the host's version (a security update):
  # then the archive's current one of the same release is taken.
  (cd "$src" && { apt-get "${apt_opts[@]}" source -q "$1" >/dev/null 2>&1 \
     || apt-get "${apt_opts[@]}" source -q "${1%%=*}" >/dev/null; })
}
# Version of the host's package of the same source, so both builds match.
host_version() { dpkg-query -W -f='${Version}' "$1"; }

cross=x86_64-w64-mingw32
export CC="$cross-gcc-posix" CXX="$cross-g++-posix" AR="$cross-ar" RANLIB="$cross-ranlib"

echo "== zlib"
fetch "zlib=$(host_version zlib1g-dev)"
zdir="$(ls -d "$src"/zlib-*/ | head -1)"
(cd "$zdir" && CHOST="$cross" ./configure --static --prefix="$prefix" >/dev/null && make libz.a -j"$jobs" >/dev/null)
cp "$zdir/libz.a" "$prefix/lib/"
cp "$zdir/zlib.h" "$zdir/zconf.h" "$prefix/include/"

echo "== expat"
fetch "expat=$(host_version libexpat1-dev)"
edir="$(ls -d "$src"/expat-*/ | head -1)"
cmake -S "$edir/expat" -B "$work/expat" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$cache/mingw64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DEXPAT_SHARED_LIBS=OFF \
  -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_DTD=OFF >/dev/null
cmake --build "$work/expat" -j"$jobs" >/dev/null
cmake --install "$work/expat" >/dev/null

echo "== sqlite3"
fetch "sqlite3=$(dpkg-query -W -f='${Version}' libsqlite3-0 2>/dev/null || echo 3.40.1-2+deb12u2)"
sdir="$(ls -d "$src"/sqlite3-*/ | head -1)"
# The amalgamation is made with host tools, then compiled for Windows.
mkdir -p "$work/sqlite-host"
(cd "$work/sqlite-host" && CC=cc CXX=c++ AR=ar RANLIB=ranlib "$sdir/configure" --disable-tcl >/dev/null \
  && make sqlite3.c >/dev/null)
"$CC" -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_OMIT_LOAD_EXTENSION \
  -c "$work/sqlite-host/sqlite3.c" -o "$work/sqlite3.o"
"$AR" rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
cp "$work/sqlite-host/sqlite3.h" "$prefix/include/"

echo "== qt6-base (about an hour)"
unset CC CXX AR RANLIB
fetch "qt6-base=$(host_version qt6-base-dev)"
qdir="$(ls -d "$src"/qt6-base-*/ | head -1)"
for p in "$here"/patches/*.patch; do
  [ -e "$p" ] && patch -d "$qdir" -p1 -N < "$p"
done
cmake -S "$qdir" -B "$work/qt" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$cache/mingw64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_sql=ON -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON \
  -DFEATURE_sql_odbc=OFF -DFEATURE_sql_psql=OFF -DFEATURE_sql_mysql=OFF -DFEATURE_sql_ibase=OFF \
  -DFEATURE_sql_oci=OFF -DFEATURE_sql_db2=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_doubleconversion=OFF \
  -DSQLite3_INCLUDE_DIR="$prefix/include" -DSQLite3_LIBRARY="$prefix/lib/libsqlite3.a" \
  | tail -40
nice cmake --build "$work/qt" -j"$jobs"
cmake --install "$work/qt" >/dev/null

# The sources and the build tree are 1.7 GB; only the installed prefix is kept.
rm -rf "$work" "$src"
echo "$recipe" > "$stamp"
echo "Windows libraries built into $prefix"
