#!/usr/bin/env bash
# Prints the Wine loader for a Windows program: the 32-bit one for an i386
# image, wine64 for an x86-64 one (the machine field of its PE header).
set -euo pipefail
program=${1:?usage: wine-loader.sh PROGRAM}
peoffset=$(od -An -t u4 -j 60 -N 4 "$program" | tr -d ' ')
machine=$(od -An -t x2 -j $((peoffset + 4)) -N 2 "$program" | tr -d ' ')
case "$machine" in
  014c) echo /usr/lib/wine/wine ;;
  8664) command -v wine64 || echo /usr/lib/wine/wine64 ;;
  *) echo "wine-loader.sh: $program is not a Windows program for x86 (machine $machine)" >&2; exit 1 ;;
esac
