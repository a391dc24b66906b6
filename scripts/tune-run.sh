#!/usr/bin/env bash
# Tunes the heater of the station emulator in real time with `tavolin-cli tune`, on one of the
# test plants, and keeps what happened: the tool's output, its progress lines and the
# station's log of every request and reply.
#
#   bash scripts/tune-run.sh PLANT OUT_DIR [tune options...]
#
# PLANT: fast | slow | scaled (units of the gains worth 1/10) | default. The tune options
# default to --from 200 --to 300 --minutes 5. Uses the programs in build/ (or
# $TAVOLIN_BUILD_DIR); build them first.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TAVOLIN_BUILD_DIR:-build}
plant=${1:?plant}
out=${2:?output folder}
shift 2
case "$plant" in
    fast) heater=(--tip-lag 1.5 --dead-time 0.05) ;;
    slow) heater=(--tip-lag 10 --dead-time 1.5) ;;
    scaled) heater=(--pid-scale 0.1) ;;
    default) heater=() ;;
    *) echo "unknown plant $plant" >&2; exit 2 ;;
esac
options=("$@")
[ ${#options[@]} -eq 0 ] && options=(--from 200 --to 300 --minutes 5)

mkdir -p "$out"
link="$out/station"
"$build/tools/station/tavolin-station" --link "$link" --model KRT-51 --wire-baud 19200 \
    --log "$out/station.log" "${heater[@]}" >"$out/station.out" &
station=$!
trap 'kill "$station" 2>/dev/null || true; wait "$station" 2>/dev/null || true' EXIT
for _ in $(seq 200); do [ -e "$link" ] && break; sleep 0.05; done

start=$(date +%s)
set +e
"$build/tools/cli/tavolin-cli" --port "$link" tune "${options[@]}" >"$out/tune.out" 2>"$out/tune.err"
code=$?
set -e
echo "exit=$code seconds=$(( $(date +%s) - start ))" >>"$out/tune.out"
# The gains the station holds at the end, read back over the line.
"$build/tools/cli/tavolin-cli" --port "$link" dump 2>&1 | grep -E '^PidGainsH\.|^HeatStatus\.Tset' >"$out/after.txt" || true
cat "$out/tune.out"
