#!/usr/bin/env bash
# Builds everything and starts the setup program: the shipped 32-bit build
# under wine where this machine can execute 32-bit code, otherwise the 64-bit
# build of the same sources under wine64; inside Xvfb when there is no
# display (then for ZARN_RUN_SECONDS seconds, default 120, with a screenshot).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in release mingw-i686 mingw-x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
done

wine32=/usr/lib/wine/wine
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
if [ -x "$wine32" ] && "$wine32" --version >/dev/null 2>&1; then
  wine=$wine32 setup=$PWD/out/mingw-i686/resources/setup.exe prefix=$PWD/out/run-prefix-win32
  export WINEARCH=win32
else
  echo "This machine cannot execute 32-bit code: running the x86_64 build under wine64."
  wine=$wine64 setup=$PWD/out/mingw-x86_64/resources/setup.exe prefix=$PWD/out/run-prefix
fi
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init
wineserver -w

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
