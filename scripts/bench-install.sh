#!/usr/bin/env bash
# Times the setup program's install run under Wine on a payload of about
# 59.8 MB (25 MB of executables, 34.8 MB of text), built by mksetup into one
# setup program with an LZH archive and one with an LH5 archive, and prints
# medians in MB/s of payload, split into the pieces of the run:
#   decode   the archive decoded, nothing written
#   write    the archive expanded into a directory, no progress view
#   install  the whole install run with the copy dialog (log, registry,
#            shortcuts), with the time spent in the dialog's calls (gauge,
#            message processing, texts), the registry entries and the
#            shortcuts
# next to gzip -dc of the same payload (as one tar stream) for a yardstick.
#
#   scripts/bench-install.sh [ROUNDS]        (default 5)
#
# It builds what it needs (release and mingw-i686 presets) and runs the
# 32-bit programs in a fresh 64-bit prefix under out/bench-install/. The
# times are taken inside the program around the run, as the wizard would see
# it from its last question to the end of the shortcuts. Figures are reported,
# never asserted.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROUNDS=${1:-5}
OUT=$ROOT/out/bench-install
PAYLOAD=$OUT/payload
PREFIX=$OUT/wineprefix

cd "$ROOT"
# The copy dialog needs a display.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target mksetup vkar >/dev/null
cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686 -j2 --target zarn_install_bench setup_stub ZarnFTP unzarn >/dev/null
MKSETUP=$ROOT/out/release/tools/mksetup/mksetup
BENCH=$ROOT/out/mingw-i686/bench/install/zarn_install_bench.exe
STUB=$ROOT/out/mingw-i686/resources/setup-stub.exe
mkdir -p "$OUT"

# --- payload -------------------------------------------------------------------
# Executables: programs and libraries of 64 KiB to 3 MiB, in name order, up
# to 25 MB; text: manual pages, decompressed, in 400 kB files.
make_payload() {
    rm -rf "$PAYLOAD"
    mkdir -p "$PAYLOAD"
    local total=0 size f
    while read -r f; do
        size=$(stat -c %s "$f")
        [ $((total + size)) -le 25000000 ] || continue
        cp "$f" "$PAYLOAD/$(basename "$f" | tr -c 'A-Za-z0-9.\n_-' _).exe"
        total=$((total + size))
    done < <(find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +64k -size -3072k 2>/dev/null |
             LC_ALL=C sort)
    find /usr/share/man -name '*.gz' -type f 2>/dev/null | LC_ALL=C sort |
        while read -r f; do gzip -dc "$f"; done | head -c 34800000 >"$OUT/text" || true
    (cd "$PAYLOAD" && split -b 400000 -d -a 3 --additional-suffix=.txt "$OUT/text" doc-)
    rm "$OUT/text"
    cp out/mingw-i686/resources/ZarnFTP.exe out/mingw-i686/resources/unzarn.exe resources/payload/* "$PAYLOAD/"
}
[ -f "$PAYLOAD/.complete" ] || { make_payload; touch "$PAYLOAD/.complete"; }
echo "payload: $(find "$PAYLOAD" -type f ! -name .complete | wc -l) files," \
     "$(find "$PAYLOAD" -type f ! -name .complete -printf '%s\n' | awk '{s += $1} END {print s}') bytes"

for method in LZH LH5; do
    "$MKSETUP" --stub "$STUB" -m "$method" -s resources/settings.ini -o "$OUT/setup-$method.exe" "$PAYLOAD" >/dev/null
    echo "setup-$method.exe: $(stat -c %s "$OUT/setup-$method.exe") bytes"
done
tar -C "$PAYLOAD" --exclude=.complete -cf - . | gzip -6 >"$OUT/payload.tar.gz"
echo "payload.tar.gz (gzip -6): $(stat -c %s "$OUT/payload.tar.gz") bytes"

# --- runs ----------------------------------------------------------------------
# A virtual desktop, as on Windows: no X window manager to wait for when a
# window hides.
scripts/wine-prefix.sh "$PREFIX" 1024x768 >/dev/null 2>&1
export WINEPREFIX=$PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINE=$(scripts/wine-loader.sh "$BENCH")
# One server for all the runs, kept out of this script's output.
wineserver -p 60 </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

RESULTS=$OUT/results
: >"$RESULTS"
for round in $(seq "$ROUNDS"); do
    for method in LZH LH5; do
        for phase in decode write install; do
            dir="C:\\bench-$method-$phase"
            rm -rf "$PREFIX/drive_c/bench-$method-$phase"
            if [ "$phase" = decode ]; then
                "$WINE" "$BENCH" decode "$(winepath -w "$OUT/setup-$method.exe")"
            else
                "$WINE" "$BENCH" "$phase" "$(winepath -w "$OUT/setup-$method.exe")" "$dir"
            fi | tr -d "\r" | sed "s/^/$method /" >>"$RESULTS"
            rm -rf "$PREFIX/drive_c/bench-$method-$phase"
        done
    done
    t0=$(date +%s%N)
    gzip -dc "$OUT/payload.tar.gz" >/dev/null
    t1=$(date +%s%N)
    echo "gzip gunzip 0 $(awk -v n=$((t1 - t0)) 'BEGIN {printf "%.4f", n / 1e9}') 0" >>"$RESULTS"
done

# --- report --------------------------------------------------------------------
BYTES=$(awk '$2 == "decode" {print $3; exit}' "$RESULTS")
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
printf '\n%s rounds, medians; %s UTC; %s\n' "$ROUNDS" "$(date -u '+%Y-%m-%d %H:%M')" \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) processors"
printf '%-7s %-8s %8s %8s %8s %8s %8s %8s %8s %8s\n' method phase "wall s" "cpu s" "MB/s" "gauge s" "msgs s" \
    "texts s" "reg s" "links s"
col() { awk -v m="$1" -v p="$2" -v c="$3" '$1 == m && $2 == p && NF >= c {print $c}' "$RESULTS" | median; }
for method in LZH LH5 gzip; do
    for phase in decode write install gunzip; do
        grep -q "^$method $phase " "$RESULTS" || continue
        wall=$(col $method $phase 4)
        split="       -        -        -        -        -"
        [ "$phase" != install ] ||
            split=$(printf '%8.3f %8.3f %8.3f %8.3f %8.3f' "$(col $method $phase 6)" "$(col $method $phase 8)" \
                    "$(col $method $phase 10)" "$(col $method $phase 12)" "$(col $method $phase 13)")
        printf '%-7s %-8s %8.3f %8.3f %8.1f %s\n' "$method" "$phase" "$wall" "$(col $method $phase 5)" \
            "$(awk -v b="$BYTES" -v s="$wall" 'BEGIN {print b / s / 1e6}')" "$split"
    done
done
printf '(payload: %s bytes; MB/s = payload bytes / wall time / 10^6; gauge, msgs, texts: time in\n' "$BYTES"
printf ' the copy dialog'"'"'s calls; reg: the registry entries; links: the shortcuts)\n'

