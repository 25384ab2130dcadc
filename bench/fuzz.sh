#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz/ and runs each for the given seconds: bench/fuzz.sh [seconds per target]
# Prints per target the executions run and the findings; crash inputs stay in build-fuzz/findings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
"$root/tools/setup.sh" >/dev/null  # the project's own packages
source "$root/tools/packages.sh"
need_packages clang-14 libclang-rt-14-dev
build=$root/build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DLUMVALE_TESTS=OFF -DLUMVALE_BENCH=OFF -DLUMVALE_FUZZ=ON >/dev/null
fi
targets=(mofile locator jpeg chain metadata icc heif)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" fuzz_seeds >/dev/null
corpus=$build/corpus
findings=$build/findings
mkdir -p "$findings"
# The seeds are made with libheif's encoders, whose own allocations outlive the program (x265).
ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen "$build/fuzz/fuzz_seeds" "$corpus"
# libheif 1.15's AV1 decoder leaks the buffer it hands to dav1d when dav1d refuses it; the
# program never holds that memory, so it is not a finding of ours.
printf 'leak:libdav1d.so.6\n' >"$build/lsan.supp"
status=0
for target in "${targets[@]}"; do
  mkdir -p "$corpus/$target"
  log=$build/fuzz_$target.log
  extra=()
  [ ! -f "$corpus/$target.dict" ] || extra+=(-dict="$corpus/$target.dict")
  if ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$build/lsan.supp" \
      "$build/fuzz/fuzz_$target" "$corpus/$target" "${extra[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -max_len=65536 \
      -artifact_prefix="$findings/$target-" -print_final_stats=1 >"$log" 2>&1; then
    found=0
  else
    found=1
    status=1
  fi
  runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  echo "fuzz_$target: ${runs:-?} executions in ${seconds} s, findings: $found"
  [ "$found" -eq 0 ] || grep -m5 -E 'ERROR|SUMMARY|Test unit written' "$log" | sed 's/^/    /'
done
exit $status
