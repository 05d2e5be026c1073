#!/usr/bin/env bash
# Builds the setup program a second time, in a build tree of another path,
# and compares it byte for byte with a build already made:
#   reproducible.sh REFERENCE_EXE TOOLCHAIN_FILE HOST_VKAR WORK_DIR
set -euo pipefail
reference=${1:?usage: reproducible.sh REFERENCE_EXE TOOLCHAIN_FILE HOST_VKAR WORK_DIR}
toolchain=${2:?} vkar=${3:?} work=${4:?}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work"
cmake -S "$source_dir" -B "$work/second build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DZARN_BUILD_TESTS=OFF -DZARN_BUILD_BENCHMARKS=OFF \
  -DZARN_HOST_VKAR="$vkar" >/dev/null
cmake --build "$work/second build" --target setup -j "$(nproc)" >/dev/null
second="$work/second build/resources/setup.exe"
if cmp "$reference" "$second"; then
  echo "identical: $(stat -c %s "$reference") bytes, sha256 $(sha256sum < "$reference" | cut -d' ' -f1)"
  rm -rf "$work"
else
  echo "the second build differs from $reference" >&2
  exit 1
fi
