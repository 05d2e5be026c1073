#!/usr/bin/env bash
# Long fuzzing runs (not part of the test command): builds the libFuzzer
# programs with clang and the sanitizers, runs each target for SECONDS
# (default 300), and merges what it found into fuzz/corpus/<target>, which
# the normal test run replays.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}

scripts/install-deps.sh
command -v clang++ >/dev/null || { apt-get install -y -qq clang >/dev/null; }
build=out/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZARN_BUILD_FUZZERS=ON -DZARN_SANITIZE=ON -DZARN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

for program in "$build"/fuzz/Fuzz*; do
  [ -x "$program" ] || continue
  name=$(basename "$program")
  case "$name" in *_replay) continue ;; esac
  corpus=fuzz/corpus/$name
  found=$(mktemp -d)
  echo "== $name for ${seconds}s"
  "$program" -max_total_time="$seconds" -max_len=70000 -rss_limit_mb=2048 -print_final_stats=1 \
    "$found" "$corpus" || { echo "$name found a failure (crash-* / leak-* file in $PWD)"; exit 1; }
  "$program" -merge=1 "$corpus" "$found" >/dev/null 2>&1
  rm -rf "$found"
done
