#!/usr/bin/env bash
# Makes a fresh Wine prefix for one test run: PREFIX is removed and booted anew.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init
wineserver -w
test -f "$prefix/system.reg"
