#!/usr/bin/env bash
# Runs a Windows program under Wine in PREFIX, with a virtual display when
# there is none:  wine-run.sh PREFIX PROGRAM [ARG...]
# A 32-bit program runs with Wine's 32-bit loader (through WOW64 in a 64-bit
# prefix), a 64-bit one with wine64.
set -euo pipefail
prefix=${1:?usage: wine-run.sh PREFIX PROGRAM [ARG...]}
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A prefix made for a user of its own (wine-user-prefix.sh) runs as that user.
if [ -f "$prefix/wine-user" ]; then
  user=$(cat "$prefix/wine-user")
  export USER=$user LOGNAME=$user LC_ALL=C.UTF-8
fi
wine=$("$(dirname "$0")/wine-loader.sh" "$1")
status=0
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$@" || status=$?
else
  "$wine" "$@" || status=$?
fi
wineserver -w
exit "$status"
