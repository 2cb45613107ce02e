#!/usr/bin/env bash
# Whether two builds of sirenwatch behave the same: each runs the demo and a generated day
# headless (tab lines, JSON lines, and the day on standard input), in homes of their own; their output and
# every file they keep (the incident logs, the journal) are compared with clock times masked.
#   scripts/compare-runs.sh PROGRAM_BEFORE PROGRAM_AFTER
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
before="$(realpath "$1")"
after="$(realpath "$2")"
work="$(mktemp -d /tmp/sirenwatch-compare.XXXXXX)"
trap 'rm -rf "$work"' EXIT

python3 "$source_dir/bench/make_capture.py" --day --lines 20000 --stations 8000 --seed 13 \
  | cut -d' ' -f2- >"$work/day.tnc2"

# Clock times and the run's own names out of the way: its home, the program's folder, dates,
# times, Unix seconds.
mask() {
  sed -E -e "s#$work/(before|after)-#HOME-#g" -e "s#$(dirname "$before")/|$(dirname "$after")/#PROGRAM/#g" -e 's/-[0-9]{8}-[0-9]{6}/-STAMP/g' -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}(T[0-9:.]+(Z|[+-][0-9:]+)?)?/DATE/g' \
    -e 's/[0-9]{2}:[0-9]{2}:[0-9]{2}/TIME/g' \
    -e 's/"([a-z_]*(time|_s|started|stopped|last_alive|since)[a-z_]*)":[0-9.]+/"\1":N/g' \
    -e 's/\b1[0-9]{9}\b/N/g' -e 's/pid [0-9]+/pid N/g'
}

run() {  # PROGRAM NAME ARGS...: output and kept files in $work/NAME
  local program="$1" name="$2"
  shift 2
  local home="$work/$name"
  mkdir -p "$home/config" "$home/data" "$home/runtime" && chmod 700 "$home/runtime"
  HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen \
    "$program" --headless "$@" >"$home/stdout" 2>"$home/stderr" <"${input:-/dev/null}" || true
  mask <"$home/stdout" >"$home/stdout.masked"
  (cd "$home/data" && find . -type f | LC_ALL=C sort | while read -r f; do
    echo "== $(echo "$f" | mask)"
    mask <"$f"
  done) >"$home/files.masked"
}

status=0
compare() {  # NAME ARGS...
  local name="$1"
  shift
  run "$before" "before-$name" "$@"
  run "$after" "after-$name" "$@"
  for part in stdout files; do
    if diff -u "$work/before-$name/$part.masked" "$work/after-$name/$part.masked" \
      >"$work/$name-$part.diff"; then
      echo "same: $name $part ($(wc -l <"$work/after-$name/$part.masked") lines)"
    else
      echo "DIFFERENT: $name $part"
      head -40 "$work/$name-$part.diff"
      status=1
    fi
  done
}

compare demo-tab --replay "$source_dir/data/demo.tnc2" --fast
compare demo-json --replay "$source_dir/data/demo.tnc2" --fast --json
compare day-tab --replay "$work/day.tnc2" --fast
compare day-json --replay "$work/day.tnc2" --fast --json
input="$work/day.tnc2" compare day-stdin --stdin --json
exit $status
