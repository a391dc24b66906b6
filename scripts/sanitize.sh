#!/usr/bin/env bash
# Builds everything, the window included, with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan (or $TAVOLIN_ASAN_BUILD_DIR) and runs the whole CTest suite there. Leak
# reports of third-party libraries are suppressed by scripts/lsan.supp; ours never are.
# Extra arguments go to ctest (for example: -L unit).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${TAVOLIN_ASAN_BUILD_DIR:-build-asan}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVOLIN_SANITIZE=ON \
    -DTAVOLIN_BENCH=OFF -DTAVOLIN_WERROR="${TAVOLIN_WERROR:-OFF}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300 "$@"
