#!/usr/bin/env bash
# Builds everything and shows the archiver at work on a sample tree:
# create, list, test, extract, and a byte-for-byte comparison.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686 -j "$(nproc)"

vkar=$PWD/out/release/tools/vkar/vkar
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sample"
cp -r README.md archive codecs platform "$work/sample/"
chmod a-w "$work/sample/README.md"

set -x
"$vkar" c -m best -C "$work/sample" "$work/sample.vkar" .
"$vkar" l "$work/sample.vkar"
"$vkar" t "$work/sample.vkar"
mkdir "$work/restored"
"$vkar" x -C "$work/restored" "$work/sample.vkar"
diff -r "$work/sample" "$work/restored"
set +x
echo "The sample tree came back byte for byte."
