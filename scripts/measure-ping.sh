#!/usr/bin/env bash
# How long the window takes to answer a window manager's _NET_WM_PING, in three states: on
# line with a KRF-51 polled at 100 ms over a line paced at 19200 baud; off line with a station
# on the port that never answers (switched off, adapter plugged in); off line with the port
# gone. AutoConnect is on throughout, so off line the window keeps trying to reconnect.
# Usage: scripts/measure-ping.sh [BUILD_DIR] [SECONDS] [DISPLAY]
# (needs Xvfb, xdotool and python3-xlib)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
seconds=${2:-30}
display=${3:-:97}
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "measure-ping: $*" >&2; exit 1; }
waitfor() {  # waitfor SECONDS COMMAND...: retries COMMAND until it succeeds or time runs out
    local limit=$(($(date +%s) + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        (($(date +%s) < limit)) || return 1
        sleep 0.05
    done
}

Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
export DISPLAY=$display
waitfor 10 xdpyinfo || fail "Xvfb did not start on $display"

# measure NAME PORT station|none [STATION OPTIONS...]: a fresh window on PORT, with a station
# there or none, then the ping figures.
measure() {
    local name=$1 port=$2 with=$3 station=""
    shift 3
    if [ "$with" = station ]; then
        "$build/tools/station/tavolin-station" --link "$port" --model KRF-51 --wire-baud 19200 \
            --log "$work/station.log" "$@" >/dev/null &
        station=$!
        pids+=($station)
        waitfor 10 test -e "$port" || fail "the station did not start"
    fi
    printf '[General]\r\nPortName=%s\r\nLeft=0\r\nTop=0\r\n[Settings]\r\nAutoConnect=1\r\nSample=100\r\n' \
        "$port" >"$work/t.ini"
    TAVOLIN_CONFIG="$work/t.ini" QT_QPA_PLATFORM=xcb "$build/ui/tavolin" >/dev/null 2>&1 &
    local app=$!
    pids+=($app)
    local wid
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tavolin$' | head -1) ||
        fail "no window"
    if [ "$name" = "on line" ]; then
        # Identified and read: GetTimers is the last read after connecting.
        waitfor 20 grep -q '^RX 13 ' "$work/station.log" || fail "the window did not connect"
    elif [ -n "$station" ]; then
        waitfor 20 grep -q '^RX 03 ' "$work/station.log" || fail "the window never tried"
    else
        sleep 1  # nothing to watch: a missing port leaves no trace of the attempts
    fi
    printf '%-34s ' "$name:"
    "$here/wm-ping.py" "$wid" --seconds "$seconds"
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    if [ -n "$station" ]; then
        kill "$station" 2>/dev/null || true
        wait "$station" 2>/dev/null || true
    fi
    rm -f "$work/station.log"
}

measure "on line" "$work/station" station
measure "off line, silent station" "$work/station" station --silent 1-1000000000
measure "off line, port gone" "$work/gone" none
