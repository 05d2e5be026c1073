#!/usr/bin/env bash
# Long fuzzing runs (not part of the test command): builds the libFuzzer
# programs with clang and the sanitizers, runs each target (or the ones
# named) for SECONDS (default 300), and merges what it found into
# fuzz/corpus/<target>, which the normal test run replays.
#   scripts/fuzz.sh [SECONDS] [TARGET...]      e.g. scripts/fuzz.sh 600 FuzzExpand
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true

scripts/install-deps.sh
command -v clang++ >/dev/null || { apt-get install -y -qq clang >/dev/null; }
build=out/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZARN_BUILD_FUZZERS=ON -DZARN_SANITIZE=ON -DZARN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

targets=("$@")
if ((${#targets[@]} == 0)); then
  for program in "$build"/fuzz/Fuzz*; do
    name=$(basename "$program")
    [ -x "$program" ] && [[ $name != *_replay ]] && targets+=("$name")
  done
fi

for name in "${targets[@]}"; do
  program=$build/fuzz/$name
  corpus=fuzz/corpus/$name
  found=$(mktemp -d)
  echo "== $name for ${seconds}s"
  "$program" -max_total_time="$seconds" -max_len=70000 -rss_limit_mb=2048 -timeout=60 -artifact_prefix="$build/" -print_final_stats=1 \
    "$found" "$corpus" || { echo "$name found a failure (crash-* / leak-* / timeout-* file in $build)"; exit 1; }
  "$program" -merge=1 "$corpus" "$found" >/dev/null 2>&1
  rm -rf "$found"
done
