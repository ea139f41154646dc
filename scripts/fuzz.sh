#!/usr/bin/env bash
# Builds the fuzz targets (clang, ASan, UBSan) into build-fuzz/ and runs each
# for SECONDS (default 20; the test run's smoke run) from the seeds of
# fuzz/seeds/, the default files and the LibreOffice-written database. The
# corpus grows in build-fuzz/corpus/<target>/ from run to run. Prints how
# many inputs each target ran; fails on the first crash, leak or undefined
# behaviour (the input is kept in build-fuzz/crashes/).
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(spreadsheetml statefile language cp1251 blankpicture)

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DGRAVIK_BUILD_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

declare -A seeds=(
  [spreadsheetml]="defaults/Baza.xml tests/fixtures/libreoffice/Baza.xml"
  [statefile]="defaults/1.txt"
  [language]="defaults/data/lang.txt defaults/data/languare.txt"
  [cp1251]="defaults/data/languare.txt defaults/1.txt"
  [blankpicture]=""
)
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p build-fuzz/crashes
status=0
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  for s in ${seeds[$t]}; do cp -f "$s" "$corpus/default-$(basename "$s")"; done
  log=build-fuzz/fuzz_$t.log
  if QT_QPA_PLATFORM=offscreen build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -max_len=65536 \
      -timeout=10 -rss_limit_mb=2048 -artifact_prefix=build-fuzz/crashes/"$t"- \
      "$corpus" fuzz/seeds/"$t" >"$log" 2>&1; then
    runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo '?')
    echo "fuzz_$t: $runs inputs in ${seconds} s, clean"
  else
    echo "fuzz_$t: FAILED, see $log" >&2
    tail -30 "$log" >&2
    status=1
  fi
done
exit $status
