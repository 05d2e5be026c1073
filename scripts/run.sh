#!/usr/bin/env bash
# Builds everything and starts the setup program as a user gets it: the
# shipped 32-bit build, with Wine's 32-bit loader in a 64-bit prefix (WOW64,
# as most users' Windows is), inside Xvfb when there is no display (then for
# ZARN_RUN_SECONDS seconds, default 120, with a screenshot).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=mingw-i686
if ! scripts/host-runs-32bit.sh; then
  echo "This host cannot run 32-bit programs: running the x86-64 build of setup.exe instead"
  build=mingw-x86_64
fi
for preset in release "$build"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
done

setup=$PWD/out/$build/resources/setup.exe
prefix=$PWD/out/run-prefix
wine=$(scripts/wine-loader.sh "$setup")
[ -f "$prefix/system.reg" ] || scripts/wine-prefix.sh "$prefix" >/dev/null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ -n "${DISPLAY:-}" ]; then
  "$wine" "$setup"
else
  seconds=${ZARN_RUN_SECONDS:-120}
  shot=$PWD/out/run-screenshot.png
  echo "No display: setup.exe runs in a virtual display for $seconds s; its screen goes to $shot"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" "$2" & pid=$!
    sleep 10; import -window root "$3"
    for _ in $(seq 10 "$4"); do kill -0 $pid 2>/dev/null || break; sleep 1; done
    wineserver -k || true' run "$wine" "$setup" "$shot" "$seconds"
fi
wineserver -w || true
