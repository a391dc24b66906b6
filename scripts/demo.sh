#!/usr/bin/env bash
# Builds Tavolin and runs it against the built-in station emulator: the emulator serves a
# KRF-51 on a pseudo-terminal, a demo configuration points the window at it, and closing the
# window stops the emulator. Without a display the window runs under Xvfb for a few seconds,
# leaves a screenshot in out/demo.png, and the command-line tool shows the station's values.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build=${TAVOLIN_BUILD_DIR:-build}
model=${TAVOLIN_MODEL:-KRF-51}
work=$(mktemp -d)
link="$work/station"
"$build/tools/station/tavolin-station" --link "$link" --model "$model" >"$work/station.out" &
station=$!
cleanup() {
    kill "$station" 2>/dev/null || true
    wait "$station" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 200); do [ -e "$link" ] && break; sleep 0.05; done

cat >"$work/tavolin.ini" <<INI
[General]
PortName=$link
[Settings]
AutoConnect=1
AutoRead=1
ExtraPorts=$link
INI
export TAVOLIN_CONFIG="$work/tavolin.ini"

cli="$build/tools/cli/tavolin-cli"
if [ -n "${DISPLAY:-}" ]; then
    "$build/ui/tavolin"
else
    echo "No display: running the window under Xvfb for a few seconds."
    mkdir -p out
    display=""
    for n in $(seq 90 120); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
    done
    Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
    DISPLAY=$display "$build/ui/tavolin" &
    window=$!
    DISPLAY=$display xdotool search --sync --onlyvisible --name '^Tavolin$' >/dev/null
    sleep 2  # one poll connects, the next ones fill the panel
    DISPLAY=$display import -window root out/demo.png && echo "Screenshot: out/demo.png"
    kill "$window" 2>/dev/null || true
    wait "$window" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    "$cli" --port "$link" info
    for i in 1 2 3; do
        echo "-- poll $i"
        "$cli" --port "$link" status
        sleep 0.5
    done
fi
