#!/usr/bin/env bash
# The period a recording really keeps: tavolin-cli log against tavolin-station paced at 19200
# baud with a 1 ms turnaround, per model and period, plus a line that drops GetHeat replies.
# Prints a markdown table: the set period, the mean spacing of the polls that gave a sample
# (from the station's log, its own clock), that mean as a ratio to the set period, and the
# step of the data file's time column.
#
#     bash scripts/measure-period.sh [BUILD_DIR] [SAMPLES]
set -euo pipefail
build=${1:-build}
samples=${2:-250}
station="$build/tools/station/tavolin-station"
cli="$build/tools/cli/tavolin-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Mean start-to-start spacing of the samples: from the first to the last GetHeat request whose
# reply went out whole, over the data file's samples. (A reply the program gave up on, on a
# machine too busy to read it in time, went out whole but gave no sample.)
spacing() {  # station log, samples
    awk -v samples="$2" '
        $2 == "07" && $1 == "RX" { for (i = 3; i <= NF; ++i) if ($i ~ /^T=/) t = substr($i, 3); pending = 1; next }
        $2 == "07" && $1 == "TX" && pending { pending = 0; if ($0 !~ /DROPPED|BADCRC|SILENT|NOFRAME/) { if (!n) first = t; last = t; ++n } }
        END { if (samples > 1) printf "%.2f", (last - first) / (samples - 1); else printf "-" }' "$1"
}

run() {  # model period label [fault options...]
    local model=$1 period=$2 label=$3
    shift 3
    "$station" --link "$work/st" --model "$model" --wire-baud 19200 --turnaround 1000 \
        --log "$work/st.log" "$@" >/dev/null &
    local pid=$!
    for _ in $(seq 200); do [ -e "$work/st" ] && break; sleep 0.05; done
    "$cli" --port "$work/st" log --out "$work/log.dat" --samples "$samples" --period "$period" \
        >"$work/said.txt"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    local mean step
    mean=$(spacing "$work/st.log" "$(($(wc -l <"$work/log.dat") - 1))")
    step=$(sed -n 3p "$work/log.dat" | cut -f1)
    printf '| %s | %s | %s ms | %s ms | %s | %s ms |\n' "$model" "$label" "$period" "$mean" \
        "$(awk -v m="$mean" -v p="$period" 'BEGIN { printf "%.3f", m / p }')" "$step"
}

echo "| model | line | set period | mean spacing | mean / set | file's step |"
echo "|---|---|---|---|---|---|"
for model in KRT-51 KRF-51; do
    for period in 20 40 100; do run "$model" "$period" clean; done
done
run KRT-51 40 "GetHeat replies dropped (10 %)" --drop 0.1 --seed 18 --fault-commands 7
run KRF-51 40 "GetHeat replies dropped (10 %)" --drop 0.1 --seed 18 --fault-commands 7
echo
echo "$samples samples a case; load average $(cut -d' ' -f1-3 /proc/loadavg)"
