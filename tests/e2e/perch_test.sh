#!/usr/bin/env bash
# Perched placement: the sozu stands at the left edge of the window in front, on that
# window's bottom or on the taskbar when the window reaches below it; a click on the sozu
# keeps it with its window; when that window goes, it moves to the next window shown below
# it. In free placement it stays where it is whatever comes to the front.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin

FLOOR=748   # the taskbar's top
SIDE=48
declare -A RECT=()
testwin_rect() {   # title: the window's real rectangle into RECT
    e2e_probe_read info --class TsutsuriProbeWindow --title "$1"
    RECT=([left]=${PROBE[left]} [top]=${PROBE[top]} [right]=${PROBE[right]} [bottom]=${PROBE[bottom]})
}
# Where the sozu belongs beside the window of RECT.
perch_of_rect() {
    local bottom=${RECT[bottom]}
    [ "$bottom" -gt $FLOOR ] && bottom=$FLOOR
    echo "$((RECT[left] - SIDE)),$((bottom - SIDE))"
}
sozu_at() { e2e_window_info; [ "${WIN[left]},${WIN[top]}" == "$1" ]; }
# expect_perch WHAT TITLE: waits (a tick is 128 ms) for the sozu beside that window.
expect_perch() {
    testwin_rect "$2"
    local want
    want=$(perch_of_rect)
    e2e_poll 5 sozu_at "$want" || e2e_fail "$1: sozu at ${WIN[left]},${WIN[top]}, not $want"
    e2e_expect_eq "$1: topmost" 1 "${WIN[topmost]}"
}

# The window in front when the program starts is its first perch.
ui_testwin 200 150 400 300 A
e2e_require "window shows" e2e_start
expect_perch "beside the window in front at start-up" A
e2e_expect_eq "posmode saved" 0 "$(e2e_ini_get "$E2E_DIR/tsutsurin.ini" Runsts posmode)"

# New windows in front: bottom just at the taskbar's top, then reaching below it.
ui_testwin 600 448 300 300 C
testwin_rect C
e2e_expect_eq "C's bottom" $FLOOR "${RECT[bottom]}"
expect_perch "window whose bottom is the taskbar's top" C
ui_testwin 500 400 300 500 B
pid_b=$UI_TESTWIN_PID
testwin_rect B
[ "${RECT[bottom]}" -gt $FLOOR ] || e2e_fail "B does not reach below the taskbar: ${RECT[bottom]}"
expect_perch "window reaching below the taskbar" B

# A middle click on the sozu makes it the foreground window (a left press on the caption
# does not activate); it stays beside B.
testwin_rect B
read -r x y <<<"$(perch_of_rect | tr ',' ' ')"
e2e_click $((x + 30)) $((y + 35)) 2
e2e_poll 5 eval 'e2e_window_info; [ "${WIN[is_foreground]}" == 1 ]' ||
    e2e_fail "a click did not make the sozu the foreground window"
e2e_ticks 4   # a few heartbeats for a wrong move to show: the sozu in front must not leave B
expect_perch "clicked, in front" B

# B's process ends: the sozu, still in front, moves to the next window below it, C.
ui_end_testwin "$pid_b"
e2e_probe_read wait-gone --class TsutsuriProbeWindow --title B --timeout 10000
e2e_window_info
e2e_expect_eq "sozu still the foreground window" 1 "${WIN[is_foreground]}"
expect_perch "its window closed" C

# Free placement: the window stays put, out of the topmost band, whatever comes to the front.
e2e_probe command 40018 >/dev/null
e2e_poll 10 ui_ini_is Runsts posmode 1 || e2e_fail "posmode after 40018"
e2e_window_info
kept="${WIN[left]},${WIN[top]}"
ui_testwin 100 100 300 300 D
e2e_ticks 8
e2e_window_info
e2e_expect_eq "free placement: place" "$kept" "${WIN[left]},${WIN[top]}"
e2e_expect_eq "free placement: topmost" 0 "${WIN[topmost]}"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
