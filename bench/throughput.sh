#!/usr/bin/env bash
# Whole-program throughput of the release build on a generated capture (seeded: many
# stations, a share of emergencies, some malformed lines):
#   headless, through --stdin and --replay --fast: lines/s and peak memory;
#   in a window under Xvfb: lines/s, peak memory and the event loop's worst lateness;
#   sirenwatch-decode, and Direwolf's decode_aprs when it is installed, as whole processes;
#   with --runs N, headless --stdin and decode_aprs side by side N times each, fresh data
#   folders every time, and the medians of their processor times.
#   --day: a day of a full feed's mix instead (bench/make_capture.py --day, without the
#   timestamps, which decode_aprs would not read).
#
#   bench/throughput.sh [--lines N] [--stations N] [--seed N] [--day] [--runs N] [--no-window]
#
# Build first: cmake --preset release && cmake --build --preset release.
# Runs in a private home, so it touches none of your settings.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SIRENWATCH_BUILD:-$root/build/release}
lines=1000000
stations=12000
seed=13
window=1
day=0
runs=1
while [ $# -gt 0 ]; do
    case $1 in
        --lines) lines=$2; shift 2 ;;
        --stations) stations=$2; shift 2 ;;
        --seed) seed=$2; shift 2 ;;
        --day) day=1; shift ;;
        --runs) runs=$2; shift 2 ;;
        --no-window) window=0; shift ;;
        *) echo "usage: $0 [--lines N] [--stations N] [--seed N] [--day] [--runs N] [--no-window]" >&2
           exit 2 ;;
    esac
done

exe=$build/src/app/sirenwatch
decode=$build/src/decode/tools/sirenwatch-decode
for program in "$exe" "$decode" /usr/bin/time; do
    [ -x "$program" ] || { echo "$program is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The capture is kept beside the build: the same arguments give the same file.
mix=$([ "$day" = 1 ] && echo "-day" || true)
capture=$build/bench/capture-$lines-$stations-$seed$mix.tnc2
if [ ! -s "$capture" ]; then
    mkdir -p "$(dirname "$capture")"
    if [ "$day" = 1 ]; then
        python3 "$root/bench/make_capture.py" --day --lines "$lines" --stations "$stations" \
            --seed "$seed" | cut -d' ' -f2- > "$capture.part"
    else
        python3 "$root/bench/make_capture.py" --lines "$lines" --stations "$stations" \
            --seed "$seed" > "$capture.part"
    fi
    mv "$capture.part" "$capture"
fi

rate() { awk -v n="$lines" -v s="$1" 'BEGIN { printf "%.0f", n / s }'; }
megabytes() { awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'; }

kind=$([ "$day" = 1 ] && echo ", a day of a full feed" || true)
echo "capture: $lines lines, $stations stations, seed $seed$kind ($capture)"
echo "load: $(uptime | sed 's/.*load average/load average/')"

# One whole process under GNU time: "<label>: lines/s, processor time, peak memory"; the
# processor time is also left in $work/cpu-<label, spaces as underscores>.
measure() {
    local label=$1 input=$2
    shift 2
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$@" < "$input" > "$work/out" 2> "$work/err" ||
        { echo "$label: failed"; tail -5 "$work/err"; return 1; }
    local seconds kb user system cpu
    read -r seconds kb user system < "$work/time"
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
    echo "$cpu" > "$work/cpu-${label// /_}"
    echo "$label: ${seconds} s, $(rate "$seconds") lines/s, processor ${cpu} s," \
        "peak memory $(megabytes "$kb") MB"
}

measure "headless --stdin" "$capture" "$exe" --headless --stdin
echo "  $(grep -c '^EMERGENCY' "$work/out") emergencies reported"
measure "headless --replay --fast" /dev/null "$exe" --headless --replay "$capture" --fast
measure "sirenwatch-decode" "$capture" "$decode"
if command -v decode_aprs > /dev/null; then
    measure "direwolf decode_aprs" "$capture" decode_aprs
    # The whole program against Direwolf's decoder alone, by processor time (one run each).
    awk -v a="$(cat "$work/cpu-headless_--stdin")" -v b="$(cat "$work/cpu-direwolf_decode_aprs")" \
        'BEGIN { if (a > 0) printf "  headless --stdin at %.2fx the speed of decode_aprs\n", b / a }'
fi

# Side by side, each run of the program from fresh data folders (nothing kept from the last).
if [ "$runs" -gt 1 ] && command -v decode_aprs > /dev/null; then
    for _ in $(seq "$runs"); do
        rm -rf "${XDG_DATA_HOME:?}"/* "${XDG_CONFIG_HOME:?}"/*
        measure "headless --stdin" "$capture" "$exe" --headless --stdin > /dev/null
        cat "$work/cpu-headless_--stdin" >> "$work/runs-sirenwatch"
        measure "direwolf decode_aprs" "$capture" decode_aprs > /dev/null
        cat "$work/cpu-direwolf_decode_aprs" >> "$work/runs-decode_aprs"
    done
    median() { sort -n "$1" | awk '{ v[NR] = $1 } END { printf "%.2f", v[int((NR + 1) / 2)] }'; }
    a=$(median "$work/runs-sirenwatch")
    b=$(median "$work/runs-decode_aprs")
    echo "side by side, $runs runs each: headless --stdin $(paste -sd' ' "$work/runs-sirenwatch") s," \
        "decode_aprs $(paste -sd' ' "$work/runs-decode_aprs") s of processor time"
    awk -v a="$a" -v b="$b" 'BEGIN { printf "  medians %.2f s and %.2f s: %.2fx the speed of decode_aprs\n", a, b, b / a }'
fi

# In a window: the run goes on after the capture, so the time is taken when the feed says it
# has finished, the peak memory read then, and the program closed with SIGTERM.
window_run() {
    local label=$1 done_pattern=$2 input=$3
    shift 3
    cat > "$work/window.sh" <<SCRIPT
set -u
start=\$(date +%s%N)
SIRENWATCH_LOOP_PROBE=1 "\$@" < "$input" > "$work/wout" 2> "$work/werr" &
pid=\$!
until grep -q "$done_pattern" "$work/werr"; do
    kill -0 \$pid 2> /dev/null || { echo "$label: ended early"; tail -5 "$work/werr"; exit 1; }
    sleep 0.02
done
end=\$(date +%s%N)
peak=\$(awk '/VmHWM/ { print \$2 }' /proc/\$pid/status)
kill -TERM \$pid
wait \$pid
seconds=\$(awk -v a=\$start -v b=\$end 'BEGIN { printf "%.2f", (b - a) / 1e9 }')
echo "\$seconds \$peak \$(grep 'event loop:' "$work/werr")"
SCRIPT
    local result seconds kb probe
    result=$(xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/window.sh" "$@")
    read -r seconds kb probe <<< "$result"
    echo "$label: ${seconds} s, $(rate "$seconds") lines/s, peak memory $(megabytes "$kb") MB;" \
        "$probe"
}

if [ "$window" = 1 ]; then
    if command -v xvfb-run > /dev/null; then
        window_run "window --stdin" "standard input: ended" "$capture" "$exe" --stdin
        window_run "window --replay --fast" "finished, " /dev/null "$exe" --replay "$capture" --fast
    else
        echo "window: xvfb-run is missing (Debian: xvfb xauth)"
    fi
fi
