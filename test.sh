#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. Optional argument: a preset
# ("default", or "asan" for AddressSanitizer + UndefinedBehaviorSanitizer). The default run
# also builds the Windows executables, zips and installers (x86_64 and i686) and runs the
# Windows checks under Wine on both, the feeds' tests and the installers' silent install and
# uninstall among them (the 32-bit Wine is installed when missing); pictures of the Windows
# windows land in build/windows-x64/screenshots. It also runs the feeds' tests under
# ThreadSanitizer (preset tsan).
# Every run also builds the libFuzzer targets and runs each a few seconds.
# Every run makes the Debian package, build/<preset>/sirenwatch_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-default}"

scripts/install-deps.sh test
scripts/check-format.sh
# Warnings are errors here, so none gets in; an operator's own build only warns.
cmake --preset "$preset" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build --preset "$preset" -j "$(nproc)"
(cd "build/$preset" && cpack -G DEB)
ctest --preset "$preset" -j "$(nproc)"
if [ "$preset" = default ]; then
  # The feeds' tests under ThreadSanitizer: the network loop, the reading thread and the UI
  # thread's queue must not race.
  cmake --preset tsan -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
  cmake --build --preset tsan -j "$(nproc)"
  TSAN_OPTIONS="halt_on_error=1" build/tsan/tests/feeds_tests
fi
# Every parser's fuzzer builds and runs a few seconds (about 5 s each), so none rots unseen.
scripts/run-fuzzers.sh 5

if [ "$preset" = default ]; then
  scripts/install-wine32.sh
  # One Wine prefix, booted while the Windows builds run (after the 32-bit Wine is there, or
  # 32-bit programs cannot start in it) and copied fresh for each Wine suite.
  template_dir="$(mktemp -d /tmp/sirenwatch-wine-template.XXXXXX)"
  trap 'rm -rf "$template_dir"' EXIT
  export SIRENWATCH_WINE_TEMPLATE="$template_dir/prefix"
  (
    export WINEPREFIX="$SIRENWATCH_WINE_TEMPLATE" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wine wineboot -i >/dev/null 2>&1 && wineserver -w
  ) &
  boot=$!
  for windows in windows-x64 windows-x86; do
    cmake --preset "$windows" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    cmake --build --preset "$windows" -j "$(nproc)" --target all package_zip package_installer
  done
  # A prefix that did not boot is booted again by each suite, which then says why it failed.
  wait "$boot" || rm -rf "$SIRENWATCH_WINE_TEMPLATE"
  tests/windows/wine_e2e.sh build/windows-x64 build/default
  tests/windows/wine_e2e.sh build/windows-x86 build/default
  tests/windows/wine_feeds.sh build/windows-x64
  tests/windows/wine_feeds.sh build/windows-x86
  tests/windows/wine_host.sh build/windows-x64 build/default
  tests/windows/wine_host.sh build/windows-x86 build/default
  tests/windows/wine_windows.sh build/windows-x64 build/windows-x64/screenshots
  tests/windows/check_packages.sh build/windows-x64 build/windows-x86
  tests/windows/wine_installer.sh build/windows-x64
  tests/windows/wine_installer.sh build/windows-x86
fi
