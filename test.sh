#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. Optional argument: a preset
# ("default", or "asan" for AddressSanitizer + UndefinedBehaviorSanitizer). The default run
# also builds the Windows executables and packages (x86_64 and i686) and runs the Windows
# checks under Wine; pictures of the Windows windows land in build/windows-x64/screenshots.
# Every run makes the Debian package, build/<preset>/sirenwatch_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-default}"

scripts/install-deps.sh test
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
(cd "build/$preset" && cpack -G DEB)
ctest --preset "$preset" -j "$(nproc)"

if [ "$preset" = default ]; then
  for windows in windows-x64 windows-x86; do
    cmake --preset "$windows"
    cmake --build --preset "$windows" -j "$(nproc)" --target all package_zip
  done
  tests/windows/wine_e2e.sh build/windows-x64 build/default
  tests/windows/wine_windows.sh build/windows-x64 build/windows-x64/screenshots
  tests/windows/check_packages.sh build/windows-x64 build/windows-x86
fi
