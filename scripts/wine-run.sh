#!/usr/bin/env bash
# Runs a Windows program of the x86_64 build under wine64 in PREFIX, with a
# virtual display when there is none:  wine-run.sh PREFIX PROGRAM [ARG...]
set -euo pipefail
prefix=${1:?usage: wine-run.sh PREFIX PROGRAM [ARG...]}
shift
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
status=0
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a "$wine" "$@" || status=$?
else
  "$wine" "$@" || status=$?
fi
wineserver -w
exit "$status"
