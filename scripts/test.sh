#!/usr/bin/env bash
# Builds everything and runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --test-dir build --output-on-failure --parallel "$(nproc)" --timeout 300

# Evidence beyond the suite: the whole suite again under AddressSanitizer and UBSan, then
# 20 s of every fuzzer. CI allows 90 minutes on 2 cores; each step starts only while the time
# used so far leaves it room (the sanitizer build and run take about 25 minutes there, the
# fuzzers about 5) and says so when it is skipped. TAVOLIN_EVIDENCE=0 skips both.
if [ "${TAVOLIN_EVIDENCE:-1}" != 0 ]; then
    budget=$((90 * 60))
    if ((SECONDS < budget - 40 * 60)); then
        bash scripts/sanitize.sh
    else
        echo "Sanitizer run skipped: ${SECONDS} s of CI's ${budget} s already used."
    fi
    if ((SECONDS < budget - 10 * 60)); then
        bash scripts/fuzz.sh 20
    else
        echo "Fuzz runs skipped: ${SECONDS} s of CI's ${budget} s already used."
    fi
fi
