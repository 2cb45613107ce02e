#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset, clang) and runs each a few seconds on its
# corpus, so a parser's fuzzer that no longer builds or finds a crash stops the test command.
# Optional argument: seconds per target (default 5). What a run finds new is kept in a
# scratch folder, not in fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target fuzzers
scratch="$(mktemp -d /tmp/sirenwatch-fuzz.XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
for fuzzer in build/fuzz/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name="${fuzzer##*/fuzz_}"
  mkdir -p "$scratch/$name"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
      -artifact_prefix="$scratch/" "$scratch/$name" "${seeds[@]}" >"$scratch/$name.log" 2>&1; then
    tail -n 40 "$scratch/$name.log"
    mkdir -p build/fuzz/findings && cp "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* \
      build/fuzz/findings/ 2>/dev/null || true
    echo "fuzz_$name failed; what it found is in build/fuzz/findings" >&2
    exit 1
  fi
  echo "fuzz_$name: $(grep -E '^Done [0-9]+ runs' "$scratch/$name.log" | tail -n 1)"
done
