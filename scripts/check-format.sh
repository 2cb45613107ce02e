#!/usr/bin/env bash
# Fails when a C++ source differs from the layout .clang-format describes; prints the files.
# With --fix, rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${sources[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/sirenwatch-format.$$; then
  grep ': error:' /tmp/sirenwatch-format.$$ | cut -d: -f1 | sort -u | sed 's/^/  /' >&2
  rm -f /tmp/sirenwatch-format.$$
  echo "Layout differs from .clang-format in the files above: scripts/check-format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/sirenwatch-format.$$
