#!/usr/bin/env bash
# CPU and memory of the window while it polls a KRF-51 emulator at 100 ms, idle and recording.
# Usage: scripts/measure-window.sh [BUILD_DIR] [SECONDS]   (needs Xvfb and xdotool)
set -euo pipefail
build=${1:-build}
seconds=${2:-30}
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
Xvfb :77 -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
export DISPLAY=:77
"$build/tools/station/tavolin-station" --link "$work/station" --model KRF-51 --wire-baud 19200 \
    >/dev/null & pids+=($!)
for _ in $(seq 100); do [ -e "$work/station" ] && break; sleep 0.05; done
printf '[General]\r\nPortName=%s\r\nLeft=0\r\nTop=0\r\n' "$work/station" >"$work/t.ini"
# The window is killed while it records: its journal must not land in the user's own folder.
export XDG_STATE_HOME="$work/state"
TAVOLIN_CONFIG="$work/t.ini" "$build/ui/tavolin" >/dev/null 2>&1 & app=$!; pids+=($app)
xdotool search --sync --onlyvisible --name '^Tavolin$' >/dev/null
sleep 2
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$app/stat"; }
measure() {
    local before after
    before=$(cpu)
    sleep "$seconds"
    after=$(cpu)
    awk -v b="$before" -v a="$after" -v t="$ticks" -v s="$seconds" -v what="$1" \
        'BEGIN { printf "%-28s CPU %5.2f %%", what, (a - b) / t / s * 100 }'
    awk '/VmRSS/ { printf "   RSS %d MiB\n", $2 / 1024 }' "/proc/$app/status"
}
measure "on line, stopped (polling)"
xdotool mousemove 700 668 click 1 sleep 0.2 key alt+s
measure "on line, recording"
