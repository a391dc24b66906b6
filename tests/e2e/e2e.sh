#!/usr/bin/env bash
# A user's session with the real window under Xvfb, driven with xdotool against the station
# emulator: it connects by itself, records, puts the cursor on the chart, stops, saves the log
# through the dialog, starts anew, opens the file again and exits. Then the saved file, the
# configuration written at exit and what the station received are checked. Last, a window is
# killed with SIGKILL while it records: its journal must hold the samples, and the next window
# must offer it back, load it and save it.
# Usage: e2e.sh TAVOLIN TAVOLIN_STATION OUTPUT_FOLDER JOURNAL_CHECK
set -euo pipefail
app=$1 station=$2 out=$3 journalcheck=$4
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# waitfor SECONDS COMMAND...: retries COMMAND until it succeeds; false when time runs out.
waitfor() {
    local limit=$(($(date +%s) + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        (($(date +%s) < limit)) || return 1
        sleep 0.05
    done
}
# window TITLE: the id of the visible window with exactly this title, waiting up to 20 s.
window() { timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
# typein TITLE TEXT: types TEXT and Return into the dialog titled TITLE once the keyboard is
# there: a dialog shows before it takes the focus, and keys typed sooner go elsewhere.
focused() { xdotool windowfocus "$1" && [ "$(xdotool getwindowfocus)" = "$1" ]; }
typein() {
    local dialog
    dialog=$(window "$1") && [ -n "$dialog" ] || return 1
    waitfor 10 focused "$dialog" || return 1
    xdotool type --delay 20 "$2"
    xdotool key Return
}

# A display of our own.
display=""
for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || fail "no free display"
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
waitfor 10 xdpyinfo || fail "Xvfb did not start"

"$station" --link "$work/station" --model KRF-51 --log "$work/station.log" >"$work/station.out" &
pids+=($!)
waitfor 10 test -e "$work/station" || fail "the station did not start"

export XDG_STATE_HOME="$work/state"
journal="$XDG_STATE_HOME/tavolin/recording.dat"
printf '[General]\r\nPortName=%s\r\nLeft=0\r\nTop=0\r\nDataDir=%s/\r\n[Settings]\r\nSample=40\r\nExtraPorts=%s\r\n' \
    "$work/station" "$work" "$work/station" >"$work/tavolin.ini"
TAVOLIN_CONFIG="$work/tavolin.ini" QT_QPA_PLATFORM=xcb "$app" >"$work/window.out" 2>&1 &
window=$!
pids+=($window)
main=$(window Tavolin) || fail "the window did not show"
eval "$(xdotool getwindowgeometry --shell "$main")"  # WIDTH and HEIGHT of the window

# GetTimers is the last read after connecting: connected by itself and read the panel.
waitfor 20 grep -q '^RX 13 ' "$work/station.log" || fail "the window did not connect"
shot() { import -window root "$out/$1.png"; }
polls() { grep -c '^RX 07 ' "$work/station.log" || true; }
# Without a window manager the keyboard goes to the window last clicked: a click on the status
# bar, found from the window's own size, gives it the focus without changing anything.
key() {
    xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT - 8)) click 1 \
        windowfocus --sync "$main" key "$@"
}
# title TEXT: waits until the main window's title is TEXT.
titled() { [ "$(xdotool getwindowname "$main")" = "$1" ]; }
title() { waitfor 10 titled "$1" || fail "title not $1"; }
# A picture of the status bar, to see the cursor's readout arrive there.
statusbar() { import -window "$main" -crop "${WIDTH}x24+0+$((HEIGHT - 24))" rgb:- | md5sum; }
changed() { [ "$(statusbar)" != "$1" ]; }
recorded() { (($(polls) - $1 >= $2)); }
shot 1-connected

key alt+s                            # Start
start=$(polls)
# Record at least 50 samples (two seconds at 40 ms).
waitfor 30 recorded "$start" 50 || fail "the window stopped polling"
before=$(statusbar)
xdotool mousemove --window "$main" 100 400 click 1   # the cursor on the recorded samples
waitfor 10 changed "$before" || fail "no cursor readout in the status bar"
shot 2-recording-with-cursor
key alt+p                            # Stop

key ctrl+s
typein 'Save Data File' "$work/run.dat" || fail "no save dialog"
waitfor 10 test -s "$work/run.dat" || fail "Save as wrote no file"
title "Tavolin - run.dat"
shot 3-saved

key ctrl+n                           # New
title Tavolin
shot 4-new
key ctrl+o
typein 'Open Data File' "$work/run.dat" || fail "no open dialog"
title "Tavolin - run.dat"
shot 5-opened
key alt+x                            # Exit
closed() { ! kill -0 "$window" 2>/dev/null; }
waitfor 10 closed || fail "the window did not close"
status=0
wait "$window" || status=$?
[ "$status" = 0 ] || { cat "$work/window.out" >&2; fail "the window exited with $status"; }

# The saved log: the header of the visible traces and one row per sample, 40 ms apart, or
# further apart when this machine was too busy to keep 40 ms: the file then has the spacing
# the recording achieved. Ticks never start early, so never less.
header=$(head -1 "$work/run.dat" | tr -d '\r')
[ "$header" = "$(printf 'Time\tTset\tTget\tTcj\tPower\tVset\tVget\tPwm')" ] || fail "header: $header"
rows=$(($(wc -l <"$work/run.dat") - 1))
[ "$rows" -ge 20 ] || fail "only $rows samples recorded"
second=$(sed -n 3p "$work/run.dat" | cut -f1)
[ "$second" -ge 40 ] || fail "second row time $second"
grep -q $'\r$' "$work/run.dat" || fail "lines do not end with CR LF"
# Every recorded Tset is one the station sent (2500 set by default).
cut -f2 "$work/run.dat" | tail -n +2 | tr -d '\r' | sort -u | grep -qv '^2500$' && fail "Tset not 250.0"

# The configuration written at exit.
grep -q "^DataDir=$work/" "$work/tavolin.ini" || fail "DataDir not written"
# The period set at start: opening a file changes the log's time base, not the poll's.
grep -q "^Sample=40" "$work/tavolin.ini" || fail "Sample not written"
grep -q "^PortName=$work/station" "$work/tavolin.ini" || fail "PortName not written"
grep -q "^Graph4=" "$work/tavolin.ini" || fail "colours not written"

# What the station received: identification, the reads, then polls; nothing after the last poll.
grep -q '^RX 03 ' "$work/station.log" || fail "no GetInfo"
polls=$(grep -c '^RX 07 ' "$work/station.log")
[ "$polls" -ge "$rows" ] || fail "$polls polls for $rows samples"
last=$(grep '^RX' "$work/station.log" | tail -1 | cut -c4-5)
case "$last" in 07|0D) ;; *) fail "the station received command $last at the end" ;; esac
[ -e "$journal" ] && fail "a saved log left its journal behind"

# A crash while recording: SIGKILL. The journal holds the samples up to about a second before.
timers=$(grep -c '^RX 13 ' "$work/station.log")
TAVOLIN_CONFIG="$work/tavolin.ini" QT_QPA_PLATFORM=xcb "$app" >"$work/window2.out" 2>&1 &
window=$!
pids+=($window)
main=$(window Tavolin) || fail "the second window did not show"
eval "$(xdotool getwindowgeometry --shell "$main")"
reread() { (($(grep -c '^RX 13 ' "$work/station.log") > timers)); }
waitfor 20 reread || fail "the second window did not connect"
key alt+s                            # Start
journalrows() { [ -e "$journal" ] && echo $(($(wc -l <"$journal") - 1)) || echo 0; }
journaled() { (($(journalrows) >= 30)); }
waitfor 10 journaled || fail "the journal holds $(journalrows) rows while recording"
kill -KILL "$window"
wait "$window" 2>/dev/null || true
cp "$journal" "$work/killed.dat"
killed=$(($(wc -l <"$work/killed.dat") - 1))
[ "$killed" -ge 30 ] || fail "the killed window's journal holds $killed rows"
header=$(head -1 "$work/killed.dat" | tr -d '\r')
[ "$header" = "$(printf 'Time\tTset\tTget\tTcj\tPower\tVset\tVget\tPwm')" ] || fail "journal header: $header"
# 40 ms, or the wider spacing a busy machine achieved (the journal stands for the log's period).
[ "$(sed -n 3p "$work/killed.dat" | cut -f1)" -ge 40 ] || fail "journal time axis"
cut -f2 "$work/killed.dat" | tail -n +2 | tr -d '\r' | sort -u | grep -qv '^2500$' && fail "journal Tset not 250.0"
# Read by the program's reader, row by row the replies the station sent.
"$journalcheck" "$work/killed.dat" "$work/station.log" >/dev/null || fail "journal against the station's log"

# The next start offers it back; Yes loads it as an unsaved log, Save as writes it.
TAVOLIN_CONFIG="$work/tavolin.ini" QT_QPA_PLATFORM=xcb "$app" >"$work/window3.out" 2>&1 &
window=$!
pids+=($window)
question=""
for _ in $(seq 200); do
    for id in $(xdotool search --onlyvisible --name '^Tavolin$' 2>/dev/null); do
        width=$(xdotool getwindowgeometry --shell "$id" | sed -n 's/^WIDTH=//p')
        [ "$width" -lt 800 ] && question=$id
    done
    [ -n "$question" ] && break
    sleep 0.05
done
[ -n "$question" ] || fail "no recovery question at start"
shot 6-recovery-question
xdotool windowfocus --sync "$question" key Return   # Yes is the default button
main=$(window 'Tavolin - recovered recording \(not saved\)') || fail "the recovered log did not load"
eval "$(xdotool getwindowgeometry --shell "$main")"
shot 7-recovered
key ctrl+s
typein 'Save Data File' "$work/recovered.dat" || fail "no save dialog after recovery"
waitfor 10 test -s "$work/recovered.dat" || fail "Save as wrote no file after recovery"
recovered=$(($(wc -l <"$work/recovered.dat") - 1))
# A row the kill cut in half is left out; everything before it comes back as it was.
[ "$recovered" -ge $((killed - 1)) ] || fail "recovered $recovered of $killed rows"
cmp -s -n "$(stat -c %s "$work/recovered.dat")" "$work/recovered.dat" "$work/killed.dat" ||
    fail "the recovered log differs from the journal"
waitfor 10 test ! -e "$journal" || fail "the journal stayed after the recovered log was saved"
key alt+x
waitfor 10 closed || fail "the recovered window did not close"

echo "e2e: $rows samples saved and reopened, $polls polls; $killed journaled before SIGKILL," \
    "$recovered recovered; screenshots in $out"
echo "1 passed, 0 failed"
