#!/usr/bin/env bash
# Builds the engine's tests and the window tests with ThreadSanitizer in build-tsan/ and runs
# them: bench/tsan.sh [ctest arguments]. Any data race fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" >/dev/null  # the packages; the normal build is not needed here
build=${LUMVALE_TSAN_BUILD:-$root/build-tsan}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMVALE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$build" -j"$(nproc)" --target engine_tests window_tests
export QT_QPA_PLATFORM=offscreen
# halt_on_error: a race is a failure, not a warning in the log. The tests start helper
# programs (fork and exec) while Qt's pool threads exist, which is safe.
# The longest history, so that the older side of a report has its stack (and the rules that
# name a function can match it).
options="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 history_size=7"
cd "$build"
# The engine's tests: the job and the prefetcher's workers against a plain main thread, with
# only Qt's own allocations set aside (tsan.supp).
TSAN_OPTIONS="$options suppressions=$root/bench/tsan.supp ${TSAN_OPTIONS:-}" \
  ctest --output-on-failure -R '^(ImageJob|PhotoKinds|Prefetcher|HeifJob)\.' "$@"
# The window tests: the same through the windows, Qt's event loop on the main thread's stack.
cat "$root/bench/tsan.supp" "$root/bench/tsan-window.supp" >"$build/tsan-window.supp"
TSAN_OPTIONS="$options suppressions=$build/tsan-window.supp ${TSAN_OPTIONS:-}" \
  ctest --output-on-failure -R '^(PreparedAhead|BatchTest)\.' "$@"
