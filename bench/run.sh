#!/usr/bin/env bash
# Prints the benchmark figures next to their targets: `make bench`, or
#   bench/run.sh BUILD_DIR [IDLE_SECONDS]
# IDLE_SECONDS (default 120; also $BENCH_SECONDS) shortens the idle measurement for a quick
# check (`bench/run.sh build 20`). The Wine figures (start-up, idle CPU, working set) come from
# bench/wine_figures.sh, run on the cross build whose programs this machine runs (the 32-bit
# one where it runs 32-bit programs, else the 64-bit one: tools/arches.sh);
# BENCH_NO_WINE=1 leaves them out.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: bench/run.sh BUILD_DIR [IDLE_SECONDS]}
build=$(cd "$build" && pwd)
idle_seconds=${2:-${BENCH_SECONDS:-120}}
host=$build/host
steps=10000
readonly SizeTarget=1200000
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

valgrind --tool=callgrind --callgrind-out-file="$out/cg" --toggle-collect=RunHeartbeats \
    "$host/bench/heartbeat_bench" $steps >/dev/null 2>"$out/log"
total=$(grep -E '^(summary|totals):' "$out/cg" | tail -1 | awk '{print $2}')
per=$((total / steps))
printf '%-34s %10s   target %s\n' "instructions per heartbeat step" "$per" "<= 1500"

# The sizes of both executables: the 32-bit one is the product, and the target is its; the
# 64-bit one is shown beside it. What the bytes are: the resource section (sounds, pictures,
# the rest: menu, dialog, texts), the code, and everything else (data, import table, exception
# tables, relocations, headers, alignment), as that architecture's objdump reads the sections.
res=$here/../res
sounds=$(cat "$res"/*.wav | wc -c)
pictures=$(cat "$res"/*.bmp "$res"/*.ico "$res"/*.cur | wc -c)
section() {   # section OBJDUMP EXE NAME: the section's size in bytes
    local hex
    hex=$("$1" -h "$2" | awk -v n="$3" '$2 == n { print $3 }')
    echo $((16#${hex:-0}))
}
size_rows() {   # size_rows LABEL EXE OBJDUMP TARGET
    local exe=$2 objdump=$3 size rsrc text
    if [ ! -f "$exe" ]; then
        printf '%-34s %10s   %s\n' "$1" "-" "(not built: $exe)"
        return
    fi
    size=$(stat -c %s "$exe")
    rsrc=$(section "$objdump" "$exe" .rsrc)
    text=$(section "$objdump" "$exe" .text)
    printf '%-34s %10s   %s\n' "$1" "$size" "$4"
    printf '%-34s %10s   (sounds %s, pictures %s, other resources %s; code %s; the rest %s)\n' \
        "  of it" "" "$sounds" "$pictures" "$((rsrc - sounds - pictures))" "$text" \
        "$((size - rsrc - text))"
}
size_rows "executable size, 32-bit (bytes)" "$build/win32/tsutsuri.exe" i686-w64-mingw32-objdump \
    "target <= $SizeTarget"
size_rows "executable size, 64-bit (bytes)" "$build/win64/tsutsuri.exe" x86_64-w64-mingw32-objdump \
    "(no target: the 64-bit build)"

[ -z "${BENCH_NO_WINE:-}" ] || exit 0
cross=$(bash "$here/../tools/arches.sh" build "$build")
if [ "$cross" = "$build/win32" ]; then
    echo "measured under Wine: the 32-bit build ($cross)"
else
    echo "measured under Wine: the 64-bit build ($cross), since $(bash "$here/../tools/arches.sh" why32)"
fi
bash "$here/wine_figures.sh" "$cross" "$host" "$idle_seconds"
