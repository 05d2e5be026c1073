#!/usr/bin/env bash
# Draws the controls' gallery: builds zarn_gallery.exe in the 64-bit Windows
# build when needed and runs it under wine64, which writes the PNG files into
# docs/gallery/.   gallery.sh [BUILD-DIRECTORY]   (default out/mingw-x86_64;
# JOBS sets the build's parallel jobs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-out/mingw-x86_64}
jobs=${JOBS:-$(nproc)}

# The Windows build packs its archive with the build machine's vkar.
vkar=out/release/tools/vkar/vkar
if [ ! -x "$vkar" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target vkar -j "$jobs"
fi
if [ ! -f "$build/build.ninja" ]; then
  if [ "$build" = out/mingw-x86_64 ]; then
    cmake --preset mingw-x86_64 >/dev/null
  else
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DZARN_BUILD_BENCHMARKS=OFF -DZARN_HOST_VKAR="$PWD/$vkar" >/dev/null
  fi
fi
cmake --build "$build" --target zarn_gallery -j "$jobs"

# Wine wants an absolute prefix; one made here is kept for later runs.
prefix=$(cd "$build" && pwd)/gallery-prefix
[ -f "$prefix/system.reg" ] || scripts/wine-prefix.sh "$prefix" >/dev/null
mkdir -p docs/gallery
target="Z:$PWD/docs/gallery"
scripts/wine-run.sh "$prefix" "$build/tools/gallery/zarn_gallery.exe" "${target//\//\\}"
