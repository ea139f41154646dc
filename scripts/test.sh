#!/usr/bin/env bash
# Installs what is missing, builds, runs every test through CTest, then a short fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
# The Windows build, when its libraries are in the cache (its tests say they
# were skipped otherwise); scripts/windows/build.sh alone makes the cache.
bash scripts/windows/build.sh --if-cached
(cd build && ctest --output-on-failure --timeout 600)
# Every file reader under ASan and UBSan for a short while; scripts/fuzz.sh 3600 for longer.
bash scripts/fuzz.sh 20
