#!/usr/bin/env bash
# The tube tips by itself as the CPU load says, while one of our own loops keeps a processor
# busy (about 50 per cent of the two). Seen from outside as the window's shape: the probe logs
# every change of the region, and the end of a tip is the resting shape coming back after the
# rebound's one frame (shapes X, Y, X) and staying.
#  - Usage of the moment, sensitivity highest (threshold 15): after the start-up tip the first
#    sample reads 0 (it has nothing to compare with), the second one tips: about 1.8 s.
#  - Summed usage, sensitivity highest (the level moves on every 2nd sample): 50, 100, then
#    the next move finds it full: 6 samples of 896 ms, about 5.4 s. A move adds at most 100,
#    so even on a machine busy to the full (100 at once) it takes 4 samples, 3.6 s. The
#    earliest time allowed lies midway between that and the instant usage's 1.8 s, so that a
#    log that sees a shape late on a loaded machine turns neither way.
# Once where both run: when the tube tips by itself is the heartbeat's portable decision over
# the sampled usage; the sampler's system records, which do differ between the builds, are
# checked for both by cpu_test.sh and the Win32 cpu_test.
source "$(dirname "$0")/lib.sh"
e2e_begin

readonly RestMs=600           # longer than any frame is held within a tip (4 ticks)
readonly LogSeconds=30

# name        win_obj  frn_kan  earliest ms  latest ms
cases=(
    "instant    0        0        0            5000"
    "cumulative 1        0        2700         15000"
)

# tip_times LOG: from a shape log, "REST_MS LEFT_MS BACK_MS" of the first rest that was left:
# when the resting shape came back for good after the first tip, when it was left again, and
# when it came back after that (empty while not yet seen).
tip_times() {
    awk -F'[= ]' -v rest="$RestMs" '
        { sub(/\r$/, "") }
        /^shape[0-9]+=/ { t[n] = $2; h[n] = $4; n++ }
        END {
            for (i = 2; i + 1 < n; i++) {
                if (h[i] != h[i - 2] || t[i + 1] - t[i] < rest) continue
                back = ""
                for (j = i + 2; j < n; j++) if (h[j] == h[i]) { back = t[j]; break }
                print t[i], t[i + 1], back
                exit
            }
        }' "$1"
}

sh -c 'while :; do :; done' &
busy_pid=$!
trap 'kill $busy_pid 2>/dev/null; e2e_cleanup' EXIT

for row in "${cases[@]}"; do
    read -r name source sensitivity earliest latest <<<"$row"
    dir=$(e2e_new_dir)
    e2e_ini_write "$dir/tsutsurin.ini" <<INI
[Runsts]
posmode=1
snd_vol=0
win_obj=$source
frn_kan=$sensitivity
INI
    # The log starts before the program does, so that it sees the whole start-up tip; it ends
    # with the window. Straight to the file, line by line, to be read while it grows.
    wine_helper wine "$TSUTSURI_PROBE" shape-log --timeout 30000 --seconds "$LogSeconds" \
        </dev/null >"$dir/shapes.log" &
    log_pid=$!
    E2E_PIDS+=("$log_pid")
    e2e_require "$name: window shows" e2e_start "$dir"
    times=""
    for ((i = 0; i < LogSeconds * 5; i++)); do
        times=$(tip_times "$dir/shapes.log")
        read -r rest left back <<<"$times"
        [ -n "$back" ] && break
        sleep 0.2
    done
    e2e_require "$name: ends on WM_CLOSE" e2e_stop
    wait "$log_pid"
    if [ -z "$left" ]; then
        e2e_fail "$name: no tip by itself within $LogSeconds s (log in $dir/shapes.log)"
        continue
    fi
    waited=$((left - rest))
    e2e_log "$name: rest at $rest ms, tipped after $waited ms, back at rest at $back ms"
    ((waited >= earliest && waited <= latest)) ||
        e2e_fail "$name: tipped $waited ms after the start-up tip (want $earliest..$latest)"
    [ -n "$back" ] || e2e_fail "$name: the tube did not come back to rest"
done
e2e_finish
