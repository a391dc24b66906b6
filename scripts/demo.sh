#!/usr/bin/env bash
# Builds Tavolin and runs it against the built-in station emulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build=${TAVOLIN_BUILD_DIR:-build}
work=$(mktemp -d)
link="$work/station"
"$build/tools/station/tavolin-station" --link "$link" --model KRF-51 >"$work/station.out" &
station=$!
trap 'kill "$station" 2>/dev/null; wait "$station" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
cli="$build/tools/cli/tavolin-cli"
"$cli" --port "$link" info
for i in 1 2 3; do
    echo "-- poll $i"
    "$cli" --port "$link" status
    sleep 0.5
done
