#!/usr/bin/env bash
# Configures and builds into build/ (or $TAVOLIN_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${TAVOLIN_BUILD_DIR:-build}
# TAVOLIN_WERROR=ON in the environment (CI sets it) turns every warning into an error.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVOLIN_WERROR="${TAVOLIN_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
