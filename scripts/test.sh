#!/usr/bin/env bash
# Builds everything and runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --test-dir build --output-on-failure --parallel "$(nproc)" --timeout 300
