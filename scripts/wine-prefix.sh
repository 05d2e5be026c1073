#!/usr/bin/env bash
# Makes a fresh Wine prefix for one test run: PREFIX is removed and booted
# anew. With a size (1024x768) every program runs in a virtual desktop of
# that size, whose windows Wine frames itself, window manager or not. The
# user's shell folders become folders of the prefix instead of links to the
# host's home, so that nothing a test installs lands outside the prefix.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX [WIDTHxHEIGHT]}
desktop=${2:-}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$wine" wineboot --init
if [ -n "$desktop" ]; then
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f
fi
wineserver -w
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm "$link"
    mkdir "$link"
  fi
done
test -f "$prefix/system.reg"
