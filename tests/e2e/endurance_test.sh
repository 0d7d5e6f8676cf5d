#!/usr/bin/env bash
# Endurance: tips as fast as the settings allow (the random source with a chance of one in
# one), a click on the sozu every few seconds and every menu command in turn (the about
# dialog opened and closed, the help asked for), for E2E_ENDURANCE_SECONDS (45 here; 1800 for
# the long campaign: tests/campaigns/run.sh BUILD_DIR endurance 1800). The program keeps
# running, its working set stays within 256 KB (1 MB in a short run) of its size after the
# warm-up (at least three
# rounds of commands and a fifth of the time: the heaps of Wine's sound stack settle over the
# first engine restarts, five a round),
# and it leaves through the exit command with code 0.
# Once where both run: every command it repeats runs on the 64-bit build too, in
# x64.win32.commands_test (leaks of graphics objects: x64.win32.gdi_leak_test); what the long
# run adds, a fall or a growth over many rounds, comes from sources the two builds share.
source "$(dirname "$0")/lib.sh"
e2e_begin

seconds=${E2E_ENDURANCE_SECONDS:-45}
readonly ClickEverySeconds=3 WarmUpRounds=3 LeastRounds=6
# Wine's sound stack grows its heaps in steps of about 256 KB for the first few minutes of
# sound-engine restarts, so a short run cannot hold the long run's 256 KB: it allows 1 MB,
# which a leak of a few kilobytes per heartbeat still exceeds within the run (leaks of
# graphics objects are the Win32 GDI leak test's to find).
if [ "$seconds" -ge 600 ]; then GrowthLimitKb=256; else GrowthLimitKb=1024; fi
readonly GrowthLimitKb
about_hex=$(e2e_hex 'Tsutsuri について')
# Every menu command but the exit; the perched placement is followed at once by the free one,
# so that the clicks find the window where it stands.
commands=(40042 40041 40010 40043 40044 40045 40046 40047 40048 40021 40023 40030 40024 40021
          40017 40018 40029 40018 40033 40033 40049 40049 40050 40051 40052 40032 40032 40054
          40054 40055 40055 40015 40016 40010)

dir=$(e2e_new_dir)
e2e_ini_write "$dir/tsutsurin.ini" <<'X'
[Winpos]
Xpos=300
Ypos=300
[Runsts]
posmode=1
win_obj=2
[Kand]
random0=1
random1=1
random2=1
random3=1
random4=1
random5=1
X
e2e_require "window shows" e2e_start "$dir"
e2e_require "the program's own process" test "$(cat "/proc/$E2E_PID/comm")" = tsutsuri.exe
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$E2E_PID/status"; }

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
    now=$(rss)
    if [ -z "$warm" ] && [ "$rounds" -ge "$WarmUpRounds" ] &&
        [ $((SECONDS - start)) -ge $((seconds / 5)) ]; then
        warm=$now
        warm_round=$rounds
    fi
    [ "$now" -le "$peak" ] || peak=$now
    e2e_log "round $rounds at $((SECONDS - start)) s: working set $now KB"
    [ $((SECONDS - start)) -lt "$seconds" ] || [ "$rounds" -lt "$LeastRounds" ] ||
        [ -z "$warm" ] || break
done
e2e_require "still running after $rounds rounds" e2e_running

# Settle: a couple of tips with no commands, then the last reading.
e2e_ticks 16
final=$(rss)
e2e_log "working set: $warm KB after round $warm_round, $final KB at the end (peak $peak KB)"
[ $((final - warm)) -le $GrowthLimitKb ] ||
    e2e_fail "working set grew by $((final - warm)) KB (limit $GrowthLimitKb)"
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
