#!/usr/bin/env bash
# wine_helper (wine_process.sh) against a stand-in helper that acts one way at each start: a
# start that failed silently is tried again once, and logged; an answer, found=0 included,
# and a helper ended by a signal are not.
set -uo pipefail
# shellcheck source=wine_process.sh
source "$(dirname "$0")/wine_process.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# standin COUNTER ACT...: the Nth start does the Nth ACT (the last one once they run out):
# silent (exit 1, prints nothing), found0 (prints found=0, exit 1), found1 (prints found=1),
# killed (ends as by SIGKILL, printing nothing).
# shellcheck disable=SC2317   # run by wine_helper
standin() {
    local counter=$1 n
    shift
    n=$(($(cat "$counter" 2>/dev/null || echo 0) + 1))
    echo "$n" >"$counter"
    [ "$n" -le $# ] || n=$#
    case ${!n} in
    silent) return 1 ;;
    found0) echo found=0; return 1 ;;
    found1) echo found=1 ;;
    killed) return 137 ;;
    esac
}

# case | acts | output to (a pipe, a regular file, /dev/null) | exit code | output | starts |
# retries logged
cases=(
    "fails silently once, then answers|silent found1|pipe|0|found=1|2|1"
    "the same, into a log file|silent found1|file|0|found=1|2|1"
    "the same, into /dev/null|silent found1|null|0||2|1"
    "found=0 is an answer|found0|pipe|1|found=0|1|0"
    "found=0 into a log file is an answer|found0|file|1|found=0|1|0"
    "found=0 into /dev/null is an answer|found0|null|1||1|0"
    "fails silently twice|silent silent|pipe|1||2|1"
    "killed before a word|killed found1|pipe|137||1|0"
)
fails=0
for row in "${cases[@]}"; do
    IFS='|' read -r name acts to want_rc want_out want_starts want_retries <<<"$row"
    rm -f "$work"/*
    # shellcheck disable=SC2086   # the acts are words
    case $to in
    pipe) out=$(wine_helper standin "$work/count" $acts 2>"$work/err") ;;
    file) wine_helper standin "$work/count" $acts >"$work/log" 2>"$work/err" ;;
    null) wine_helper standin "$work/count" $acts >/dev/null 2>"$work/err" ;;
    esac
    rc=$?
    [ "$to" != file ] || out=$(cat "$work/log")
    [ "$to" != null ] || out=""
    got="$rc|$out|$(cat "$work/count")|$(grep -cx 'e2e: probe did not start (rc 1); tried again' "$work/err")"
    want="$want_rc|$want_out|$want_starts|$want_retries"
    if [ "$got" != "$want" ]; then
        echo "FAIL: $name: exit|output|starts|retries $got, want $want" >&2
        fails=$((fails + 1))
    fi
done
[ $fails = 0 ] && echo "wine_helper: ${#cases[@]} cases passed"
exit $((fails > 0))
