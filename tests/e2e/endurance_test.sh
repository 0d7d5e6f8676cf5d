#!/usr/bin/env bash
# Endurance: tips as fast as the settings allow (the random source with a chance of one in
# one), a click on the sozu every few seconds and every menu command in turn (the about
# dialog opened and closed, the help asked for), for E2E_ENDURANCE_SECONDS (45 here; 1800 for
# the long campaign: tests/campaigns/run.sh BUILD_DIR endurance 1800). The program keeps
# running and leaves through the exit command with code 0, and after the warm-up (at least
# three rounds of commands and a fifth of the time: the heaps of Wine's sound stack settle
# over the first engine restarts, five a round) its working set holds:
# - In total it grows by 1 MB at most, which a leak of a few kilobytes per heartbeat exceeds
#   even in the short run (leaks of graphics objects are the Win32 GDI leak test's to find).
#   Wine keeps the X11 surface of a destroyed window (SysV shared memory) mapped in the cache
#   DC that drew it last, until that DC draws again: after the about dialog closes one such
#   surface stays, and now and then a second one, for a few rounds or for good: a step of
#   556 KB at 144 DPI, 240 KB at 96. The stand-in bench/surfaces_standin.sh shows it without
#   the program. Wine's sound stack also grows its heaps in steps of about 256 KB for the
#   first few minutes.
# - In a long run (ten minutes or more) it does not keep growing: the least-squares slope of
#   the working set less its shared memory (those surfaces) over the second half of the run,
#   the smallest reading of each five rounds, stays within 1 KB a minute, which a leak of ours
#   of a few KB a minute exceeds whatever Wine's surfaces do. Each round also logs what a leak
#   would show besides (counts()).
# Once where both run: every command it repeats runs on the 64-bit build too, in
# x64.win32.commands_test (leaks of graphics objects: x64.win32.gdi_leak_test); what the long
# run adds, a fall or a growth over many rounds, comes from sources the two builds share.
source "$(dirname "$0")/lib.sh"
e2e_begin

seconds=${E2E_ENDURANCE_SECONDS:-45}
readonly ClickEverySeconds=3 WarmUpRounds=3 LeastRounds=6 StepKb=64
readonly GrowthLimitKb=1024 SlopeLimitKbPerMinute=1 SlopeBlockRounds=5 LongRunSeconds=600
about_hex=$(e2e_hex 'Tsutsuri について')
# Every menu command but the exit; the perched placement is followed at once by the free one,
# so that the clicks find the window where it stands.
commands=(40042 40041 40010 40043 40044 40045 40046 40047 40048 40021 40023 40030 40024 40021
          40017 40018 40029 40018 40033 40033 40049 40049 40050 40051 40052 40032 40032 40054
          40054 40055 40055 40015 40016 40010)

dir=$(e2e_new_dir)
e2e_settings "$dir" 300 300 Runsts:posmode=1 Runsts:win_obj=2 Kand:random0=1 Kand:random1=1 \
    Kand:random2=1 Kand:random3=1 Kand:random4=1 Kand:random5=1
export WINEDEBUG=-all,warn+debugstr
e2e_require "window shows" e2e_start "$dir"
e2e_require "the program's own process" test "$(cat "/proc/$E2E_PID/comm")" = tsutsuri.exe
# The working set and its part shared with the X server (Wine's window surfaces), in KB.
memory() {
    awk '/^VmRSS:/ { r = $2 } /^RssShmem:/ { s = $2 } END { print r, s }' "/proc/$E2E_PID/status"
}

# What a leak would show, beside the working set: GDI and USER objects and handles as Windows
# counts them (GetGuiResources, GetProcessHandleCount: Wine 8 answers 0 to all three), the
# handles, threads and windows Wine does count, and the engine's starts and the device watch's
# looks as the program tells its debugger output (Wine writes it to the log with +debugstr).
counts() {
    local said starts=? looks=?
    e2e_probe_read resources >/dev/null
    said=$(grep -a 'sound engine start' "$dir/wine.log" | tail -n 1)
    if [[ $said =~ start\ ([0-9]+),\ device\ watch\ looks\ ([0-9]+) ]]; then
        starts=${BASH_REMATCH[1]} looks=${BASH_REMATCH[2]}
    fi
    echo "gdi ${PROBE[gui_gdi]:-?} user ${PROBE[gui_user]:-?} handles ${PROBE[handle_count]:-?}" \
        "(listed ${PROBE[handles_listed]:-?}) threads ${PROBE[threads]:-?}" \
        "windows ${PROBE[windows]:-?}; engine starts $starts, watch looks $looks"
}
# The resident kilobytes of each file mapped (Wine's X11 window surfaces are SysV shared
# memory, "/SYSV00000000") and of each anonymous mapping by its start: a round that grows by
# StepKb or more logs where the step went.
mappings() {
    awk '/^[0-9a-f]+-/ { split($1, r, "-"); key = $6 == "" ? r[1] : $6 }
         /^Rss:/ { kb[key] += $2 } END { for (k in kb) print k, kb[k] }' "/proc/$E2E_PID/smaps" |
        LC_ALL=C sort
}

last_click=$SECONDS
click_sozu() {
    e2e_window_info || return 0
    local x=$((WIN[left] + 24)) y=$((WIN[top] + 40))
    # Perched with nothing to perch on, the sozu stands past the screen's left edge, where no
    # pointer reaches (and xdotool takes a negative number for an option).
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] || return 0
    e2e_click "$x" "$y"
    last_click=$SECONDS
}

# One command; the about dialog is closed with its OK button once it shows.
run_command() {
    e2e_probe command "$1" >/dev/null || e2e_fail "command $1: no window"
    if [ "$1" = 40015 ]; then
        if e2e_probe find --class '#32770' --title-hex "$about_hex" --timeout 10000 >/dev/null; then
            e2e_probe command 1 --class '#32770' --title-hex "$about_hex" >/dev/null
            e2e_probe wait-gone --class '#32770' --title-hex "$about_hex" --timeout 10000 \
                >/dev/null || e2e_fail "the about dialog did not close"
        else
            e2e_fail "the about dialog did not open"
        fi
        e2e_wait_window 10000 || e2e_fail "the window did not come back after the about dialog"
    fi
}

start=$SECONDS
rounds=0
warm=""
warm_round=0
peak=0
while :; do
    for id in "${commands[@]}"; do
        run_command "$id"
        [ $((SECONDS - last_click)) -lt $ClickEverySeconds ] || click_sozu
        e2e_running || break 2
    done
    rounds=$((rounds + 1))
    elapsed=$((SECONDS - start))
    # A command substitution, not `read < <(...)`: with process substitutions here, a long run
    # once hung with bash in wait4(-1) and no child left but the program's launcher.
    reading=$(memory)
    now=${reading% *} shared=${reading#* }
    if [ -z "$warm" ] && [ "$rounds" -ge "$WarmUpRounds" ] && [ "$elapsed" -ge $((seconds / 5)) ]
    then
        warm=$now
        warm_round=$rounds
    fi
    [ "$now" -le "$peak" ] || peak=$now
    line="round $rounds at $elapsed s: working set $now KB (window surfaces $shared KB)"
    [ "$seconds" -lt $LongRunSeconds ] || line+="; $(counts)"
    e2e_log "$line"
    echo "$elapsed $((now - shared))" >>"$dir/own.txt"
    mappings >"$dir/mappings.now"
    if [ -n "${before:-}" ] && [ $((now - before)) -ge $StepKb ]; then
        e2e_log "grew by $((now - before)) KB in a round; the mappings that grew most" \
            "(KB, mapping, KB before, after):"
        LC_ALL=C join -a 2 -e 0 -o 0,1.2,2.2 "$dir/mappings.before" "$dir/mappings.now" |
            awk '{ print $3 - $2, $0 }' | sort -rn | head -n 4 >&2
    fi
    mv "$dir/mappings.now" "$dir/mappings.before"
    before=$now
    [ "$elapsed" -lt "$seconds" ] || [ "$rounds" -lt "$LeastRounds" ] || [ -z "$warm" ] || break
done
e2e_require "still running after $rounds rounds" e2e_running

# Settle: a couple of tips with no commands, then the last reading.
e2e_ticks 16
reading=$(memory)
final=${reading% *}
e2e_log "at the end: $(counts)"
e2e_log "working set: $warm KB after round $warm_round, $final KB at the end (peak $peak KB)"
[ $((final - warm)) -le $GrowthLimitKb ] ||
    e2e_fail "working set grew by $((final - warm)) KB (limit $GrowthLimitKb)"
if [ "$seconds" -ge $LongRunSeconds ]; then
    # The least-squares slope of the smallest reading of each block of rounds: a page or
    # three that comes and goes for a round does not tilt it, a leak does.
    slope=$(awk -v from=$((elapsed / 2)) -v size=$SlopeBlockRounds '$1 >= from {
            bt += $1; if (bn == 0 || $2 < low) low = $2
            if (++bn < size) next
            t = bt / bn; n++; st += t; skb += low; stt += t * t; stkb += t * low; bn = bt = 0 }
        END { d = n * stt - st * st; if (d > 0) printf "%.2f", 60 * (n * stkb - st * skb) / d }' \
        "$dir/own.txt")
    e2e_log "steady growth: ${slope:-?} KB a minute from $((elapsed / 2)) s on (the working set" \
        "less its window surfaces)"
    awk -v s="$slope" -v l=$SlopeLimitKbPerMinute 'BEGIN { exit !(s != "" && s + 0 <= l) }' ||
        e2e_fail "the working set keeps growing: ${slope:-?} KB a minute" \
            "(limit $SlopeLimitKbPerMinute)"
fi
e2e_expect_eq "no dialog left" 0 \
    "$(e2e_probe windows | awk -F= '/_class=/ && $2 == "#32770" { n++ } END { print n + 0 }')"

e2e_probe command 40006 >/dev/null
if e2e_wait_exit; then
    e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
else
    e2e_fail "still running after the exit command"
fi
e2e_expect_eq "saved at exit" 1 "$(e2e_ini_get "$dir/tsutsurin.ini" Kand random0)"
e2e_finish
