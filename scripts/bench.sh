#!/usr/bin/env bash
# Times vkar's LH5 and LZH coders and decoders next to gzip -6 (and zstd -3,
# xz -6 when installed) on the same files, and prints medians and ratios.
#
# Corpora: about 8 MiB of real text (manual pages, decompressed, with the
# common licences) and about 8 MiB of executables (/usr/bin programs, whole,
# in name order). The tools run alternating, round after round, so that load
# from other work on the machine falls on all of them alike.
#
#   scripts/bench.sh [ROUNDS]        (default 7; VKAR=path overrides the binary,
#                                     BENCH_CLOCK=wall times elapsed time)
#
# vkar runs with -j 1, one core like the others. Figures are reported,
# never asserted: they depend on the machine.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
VKAR=${VKAR:-$ROOT/out/release/tools/vkar/vkar}
ROUNDS=${1:-7}
SIZE=$((8 << 20))

[ -x "$VKAR" ] || { echo "bench.sh: no vkar at $VKAR (build the release preset)" >&2; exit 2; }
command -v gzip >/dev/null || { echo "bench.sh: gzip is needed as the yardstick" >&2; exit 2; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# --- corpora -----------------------------------------------------------------
make_text() {
    {
        find /usr/share/man/man1 /usr/share/man/man3 /usr/share/man/man5 /usr/share/man/man8 \
            -name '*.gz' -type f 2>/dev/null | LC_ALL=C sort | while read -r f; do gzip -dc "$f"; done
        cat /usr/share/common-licenses/* 2>/dev/null
    } | head -c "$SIZE" >"$WORK/text" || true
}
make_exe() {
    find /usr/bin -maxdepth 1 -type f -size +16k 2>/dev/null | LC_ALL=C sort | while read -r f; do
        cat "$f"
    done | head -c "$SIZE" >"$WORK/exe" || true
}
make_text
make_exe

# --- timing ------------------------------------------------------------------
# Runs the command, discarding its output; prints the time it took in ns:
# processor time (user + system) by default, since the machine is usually
# shared and vkar gives the processor away after every 8 KiB it reads (as
# the setup program must), which under load costs it wall time that gzip
# does not pay; BENCH_CLOCK=wall measures elapsed time instead.
timed() {
    if [ "${BENCH_CLOCK:-cpu}" = wall ]; then
        local t0 t1
        t0=$(date +%s%N)
        "$@" >/dev/null 2>&1
        t1=$(date +%s%N)
        echo $((t1 - t0))
        return
    fi
    local TIMEFORMAT='%6U %6S' spent
    spent=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    awk -v t="$spent" 'BEGIN { split(t, a, " "); printf "%.0f\n", (a[1] + a[2]) * 1e9 }'
}
median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mbps() { awk -v bytes="$1" -v ns="$2" 'BEGIN { printf "%.0f", bytes / 1048576 / (ns / 1e9) }'; }

# Coders: name, command that writes the coded form of $IN to $OUT.
coders=(LH5 LZH gzip-6)
command -v zstd >/dev/null && coders+=(zstd-3)
command -v xz >/dev/null && coders+=(xz-6)

encode() { # coder in out
    case $1 in
    LH5) rm -f "$3"; "$VKAR" c -q -j 1 -m LH5 -C "$(dirname "$2")" "$3" "$(basename "$2")" ;;
    LZH) rm -f "$3"; "$VKAR" c -q -j 1 -m LZH -C "$(dirname "$2")" "$3" "$(basename "$2")" ;;
    gzip-6) gzip -6 -c "$2" >"$3" ;;
    zstd-3) zstd -q -3 -c "$2" >"$3" ;;
    xz-6) xz -6 -c "$2" >"$3" ;;
    esac
}
decode() { # coder coded
    case $1 in
    LH5 | LZH) "$VKAR" t -q -j 1 "$2" ;;
    gzip-6) gzip -t "$2" ;;
    zstd-3) zstd -q -t "$2" ;;
    xz-6) xz -t "$2" ;;
    esac
}

printf 'vkar %s, %s rounds, medians of %s time; %s\n' "$VKAR" "$ROUNDS" "${BENCH_CLOCK:-cpu}" \
    "$(date -u '+%Y-%m-%d %H:%M UTC')"
printf '%s, %s processors\n\n' "$(grep -m1 'model name' /proc/cpuinfo 2>/dev/null | sed 's/.*: //')" "$(nproc)"
printf '%-5s %-7s %9s %7s %9s %7s | %8s %6s %9s\n' corpus coder "code s" "x gzip" size "x gzip" "decode s" "MB/s" "speed x"
for corpus in text exe; do
    IN=$WORK/$corpus
    bytes=$(stat -c %s "$IN")
    declare -A enc=() dec=() size=()
    for ((round = 0; round < ROUNDS; ++round)); do
        for c in "${coders[@]}"; do
            enc[$c]+=" $(timed encode "$c" "$IN" "$WORK/$corpus.$c")"
        done
        for c in "${coders[@]}"; do
            dec[$c]+=" $(timed decode "$c" "$WORK/$corpus.$c")"
        done
    done
    for c in "${coders[@]}"; do
        decode "$c" "$WORK/$corpus.$c" >/dev/null 2>&1 || { echo "bench.sh: $c did not pass its own test" >&2; exit 1; }
        size[$c]=$(stat -c %s "$WORK/$corpus.$c")
        enc[$c]=$(echo "${enc[$c]}" | median)
        dec[$c]=$(echo "${dec[$c]}" | median)
    done
    for c in "${coders[@]}"; do
        # Coding: time and size as multiples of gzip's. Decoding: speed as
        # a multiple of gzip -t's on the same data.
        printf '%-5s %-7s %9s %7s %9s %7s | %8s %6s %9s\n' "$corpus" "$c" \
            "$(seconds "${enc[$c]}")" "$(ratio "${enc[$c]}" "${enc[gzip-6]}")" \
            "${size[$c]}" "$(ratio "${size[$c]}" "${size[gzip-6]}")" \
            "$(seconds "${dec[$c]}")" "$(mbps "$bytes" "${dec[$c]}")" "$(ratio "${dec[gzip-6]}" "${dec[$c]}")"
    done
    echo "($corpus: $bytes bytes)"
    unset enc dec size
done
