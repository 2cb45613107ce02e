#!/usr/bin/env bash
# Installs what is missing, builds Sirenwatch and runs it with the built-in host replaying
# the bundled demo traffic (headless when there is no display). Extra arguments are passed on.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
exe=build/release/src/app/sirenwatch
if [ ! -x "$exe" ]; then
  echo "Sirenwatch is not built yet: the core builds and its tests run with ./test.sh."
  exit 0
fi
exec "$exe" "$@"
