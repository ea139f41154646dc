#!/usr/bin/env bash
# Builds the Debian package into the build folder (default build/), checks it
# with lintian and appstreamcli, and prints the path of the .deb.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build}")
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
cmake --build "$build" -j"$(nproc)" --target gravik >&2
(cd "$build" && cpack -G DEB >&2)
deb=$(ls -t "$build"/gravik_*.deb | head -n1)
lintian --fail-on error "$deb" >&2
appstreamcli validate --no-net "$build"/packaging/*.metainfo.xml >&2
echo "$deb"
