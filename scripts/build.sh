#!/usr/bin/env bash
# Configures and builds into build/ (or $TAVOLIN_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${TAVOLIN_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
