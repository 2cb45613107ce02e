#!/usr/bin/env bash
# Installs what is missing, builds Sirenwatch and runs it with the built-in host replaying
# the bundled demo traffic. Without a display it runs headless: it prints the demo's
# emergencies and alarms as lines and ends. Arguments, when given, replace the demo feed
# (see ./run.sh --help).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release --target sirenwatch -j "$(nproc)"
exe=build/release/src/app/sirenwatch

if [ $# -gt 0 ]; then
  exec "$exe" "$@"
fi
args=(--replay "$PWD/data/demo.tnc2")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: Sirenwatch runs headless and prints one line per emergency and alarm." >&2
  args+=(--headless --fast)
fi
exec "$exe" "${args[@]}"
