#!/usr/bin/env bash
# Perched placement: the sozu stands at the left edge of the window in front, on that
# window's bottom or on the taskbar when the window reaches below it; a click on the sozu
# keeps it with its window; when that window goes, it moves to the next window shown below
# it. In free placement it stays where it is whatever comes to the front.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin

# The window in front when the program starts is its first perch.
ui_testwin 200 150 400 300 A
e2e_require "window shows" e2e_start
ui_expect_perch "beside the window in front at start-up" A
e2e_expect_eq "posmode saved" 0 "$(e2e_ini_get "$E2E_DIR/tsutsurin.ini" Runsts posmode)"

# New windows in front: bottom just at the taskbar's top, then reaching below it.
ui_testwin 600 448 300 300 C
ui_testwin_rect C
e2e_expect_eq "C's bottom" $UI_TASKBAR_TOP "${RECT[bottom]}"
ui_expect_perch "window whose bottom is the taskbar's top" C
ui_testwin 500 400 300 500 B
pid_b=$UI_TESTWIN_PID
ui_testwin_rect B
[ "${RECT[bottom]}" -gt $UI_TASKBAR_TOP ] || e2e_fail "B does not reach below the taskbar: ${RECT[bottom]}"
ui_expect_perch "window reaching below the taskbar" B

# A middle click on the sozu makes it the foreground window; it stays beside B.
ui_click_sozu_to_front
e2e_ticks 4   # a few heartbeats for a wrong move to show: the sozu in front must not leave B
ui_expect_perch "clicked, in front" B

# B's process ends: the sozu, still in front, moves to the next window below it, C.
ui_end_testwin "$pid_b"
e2e_probe_read wait-gone --class TsutsuriProbeWindow --title B --timeout 10000
e2e_window_info
e2e_expect_eq "sozu still the foreground window" 1 "${WIN[is_foreground]}"
ui_expect_perch "its window closed" C

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
