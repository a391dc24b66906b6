#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz (or $TAVOLIN_FUZZ_BUILD_DIR) and runs
# each for SECONDS (default 30) on a copy of its seed corpus, one after the other. NAME limits
# the run to the fuzzers of those folders of fuzz/ (for example: datafile inifile).
# Exits non-zero on any finding; the failing input stays in <build>/fuzz-runs/<name>/.
#
#   bash scripts/fuzz.sh [SECONDS] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
build=${TAVOLIN_FUZZ_BUILD_DIR:-build-fuzz}

CXX=clang++ cmake -S . -B "$build" -G Ninja -DTAVOLIN_FUZZ=ON -DTAVOLIN_GUI=OFF \
    -DTAVOLIN_TESTS=OFF -DTAVOLIN_BENCH=OFF -DTAVOLIN_WERROR="${TAVOLIN_WERROR:-OFF}" >/dev/null
# Only the fuzzers and what they link: the tools are not needed here.
mapfile -t fuzzers < <(ninja -C "$build" -t targets all | sed -n 's|^\(fuzz/[^/]*/fuzz_[^:]*\):.*|\1|p')
if ! ninja -C "$build" -j "$(nproc)" "${fuzzers[@]}" >"$build/fuzz-build.log" 2>&1; then
    tail -n 40 "$build/fuzz-build.log"
    exit 1
fi

failed=0
for target in "${fuzzers[@]}"; do
    exe="$build/$target"
    name=$(basename "$(dirname "$exe")")
    if (($#)) && [[ " $* " != *" $name "* ]]; then continue; fi
    run="$build/fuzz-runs/$name"
    rm -rf "$run"
    mkdir -p "$run"
    cp -r "fuzz/$name/corpus" "$run/corpus"
    # A single input that takes seconds is a finding too.
    if "$exe" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$run/" "$run/corpus" >"$run/log" 2>&1; then
        result=ok
    else
        result=FAILED
        failed=1
    fi
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log")
    echo "$name: ${execs:-?} inputs in ${seconds} s, corpus $(ls "$run/corpus" | wc -l) files: $result"
    if [ "$result" = FAILED ]; then
        grep -E "ERROR|SUMMARY|Test unit written" "$run/log" || tail -n 20 "$run/log"
    fi
done
exit "$failed"
