#!/usr/bin/env bash
# The fuzzing campaign: each fuzzer for RUNS executions (default 10 million), one after the
# other, on a copy of its CTest corpus (the new inputs stay in the copy):
#
#   tests/campaigns/fuzz.sh BUILD_DIR [RUNS]
#
# Prints each fuzzer's executions, speed and verdict; a finding is written next to the copy
# as crash-*, and the exit status is non-zero.
set -euo pipefail
build=$(cd "${1:?usage: fuzz.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-10000000}
fuzz=$build/host/tests/fuzz
work=$(mktemp -d /tmp/tsutsuri-fuzz.XXXXXX)
# The file fuzzer writes every input to a temporary file: in memory it runs many times faster.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
failed=0
for target in wave_image wave_file settings; do
    mkdir -p "$work/$target"
    cp -r "$fuzz/corpus_$target/." "$work/$target/" 2>/dev/null || true
    if "$fuzz/fuzz_$target" -runs="$runs" -max_len=40000 -timeout=10 -rss_limit_mb=2048 \
        -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$work/crash-$target-" \
        "$work/$target" "$fuzz/seeds" >"$work/$target.log" 2>&1; then
        verdict=clean
    else
        verdict="FAILED (see $work/$target.log)"
        failed=1
    fi
    printf '%-11s %s runs, %s per second: %s\n' "$target" \
        "$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")" \
        "$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$target.log")" "$verdict"
done
echo "fuzz.sh: corpora and logs in $work"
exit $failed
