#!/usr/bin/env bash
# Prints the benchmark figures next to their targets: `make bench`, or
#   bench/run.sh BUILD_DIR [IDLE_SECONDS]
# IDLE_SECONDS (default 120; also $BENCH_SECONDS) shortens the idle measurement for a quick
# check. The Wine figures (start-up, idle CPU, working set) come from bench/wine_figures.sh.
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

bash "$(dirname "$0")/wine_figures.sh" "$build" "$idle_seconds"
