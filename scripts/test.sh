#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the native release and
# sanitizer builds and both Windows builds, runs the native suites, then the
# shipped 32-bit build's Windows layer, install run, wizard and uninstaller
# under Wine on fresh prefixes (64-bit through WOW64, and one 32-bit).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

for preset in release sanitize mingw-i686 mingw-x86_64; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

echo "== tests (release)"
ctest --preset release -j "$jobs"
echo "== tests (address and undefined-behaviour sanitizers)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset sanitize -j "$jobs"
echo "== tests of the shipped 32-bit build under Wine (fresh prefixes)"
ctest --preset wine
