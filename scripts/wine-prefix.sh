#!/usr/bin/env bash
# Makes a fresh Wine prefix for one test run:
#   wine-prefix.sh PREFIX [WIDTHxHEIGHT] [win64|win32]
# PREFIX is removed and booted anew: a 64-bit Windows (the default, which runs
# 32-bit programs through WOW64, as most users' does) or a 32-bit one. With a
# size every program runs in a virtual desktop of that size, whose windows
# Wine frames itself, window manager or not. The user's shell folders become
# folders of the prefix instead of links to the host's home, so that nothing
# a test installs lands outside the prefix; drive D: is a folder tree of the
# prefix too, for browsing to another drive.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX [WIDTHxHEIGHT] [win64|win32]}
desktop=${2:-}
arch=${3:-win64}
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ "$arch" = win32 ]; then
  export WINEARCH=win32
  wine=/usr/lib/wine/wine
else
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
fi
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
mkdir -p "$prefix/drive_d/Downloads" "$prefix/drive_d/Projects/Website" "$prefix/drive_d/Projects/Archive" \
         "$prefix/drive_d/Tools"
ln -sfn ../drive_d "$prefix/dosdevices/d:"
test -f "$prefix/system.reg"
