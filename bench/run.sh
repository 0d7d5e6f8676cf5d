#!/usr/bin/env bash
# Prints the benchmark figures next to their targets: `make bench`, or
#   bench/run.sh BUILD_DIR [IDLE_SECONDS]
# IDLE_SECONDS (default 120; also $BENCH_SECONDS) shortens the idle measurement for a quick
# check. The Wine figures (start-up, idle CPU, working set) come from bench/wine_figures.sh;
# BENCH_NO_WINE=1 leaves them out.
set -euo pipefail
build=${1:?usage: bench/run.sh BUILD_DIR [IDLE_SECONDS]}
idle_seconds=${2:-${BENCH_SECONDS:-120}}
host=$build/host
steps=10000
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

valgrind --tool=callgrind --callgrind-out-file="$out/cg" --toggle-collect=RunHeartbeats \
    "$host/bench/heartbeat_bench" $steps >/dev/null 2>"$out/log"
total=$(grep -E '^(summary|totals):' "$out/cg" | tail -1 | awk '{print $2}')
per=$((total / steps))
printf '%-34s %10s   target %s\n' "instructions per heartbeat step" "$per" "<= 1500"

size=$(stat -c %s "$build/win32/tsutsuri.exe")
printf '%-34s %10s   target %s\n' "executable size (bytes)" "$size" "<= 1200000"
# What the bytes are: the resource section (sounds, pictures, the rest: menu, dialog, texts),
# the code, and everything else (data, import table, relocations, headers, alignment).
section() {
    local hex
    hex=$(i686-w64-mingw32-objdump -h "$build/win32/tsutsuri.exe" | awk -v n="$1" '$2 == n { print $3 }')
    echo $((16#$hex))
}
res=$(dirname "$0")/../res
sounds=$(cat "$res"/*.wav | wc -c)
pictures=$(cat "$res"/*.bmp "$res"/*.ico "$res"/*.cur | wc -c)
rsrc=$(section .rsrc)
text=$(section .text)
printf '%-34s %10s   (sounds %s, pictures %s, other resources %s; code %s; the rest %s)\n' \
    "  of it" "" "$sounds" "$pictures" "$((rsrc - sounds - pictures))" "$text" \
    "$((size - rsrc - text))"

[ -n "${BENCH_NO_WINE:-}" ] || bash "$(dirname "$0")/wine_figures.sh" "$build" "$idle_seconds"
