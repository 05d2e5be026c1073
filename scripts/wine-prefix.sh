#!/usr/bin/env bash
# Makes a fresh Wine prefix for one test run: PREFIX is removed and booted
# anew. With a size (1024x768) every program runs in a virtual desktop of
# that size, whose windows Wine frames itself, window manager or not.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX [WIDTHxHEIGHT]}
desktop=${2:-}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init
if [ -n "$desktop" ]; then
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f
fi
wineserver -w
test -f "$prefix/system.reg"
