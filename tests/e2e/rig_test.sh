#!/usr/bin/env bash
# The rig itself, with the probe's own framed window instead of the program: X screen
# coordinates are the desktop's, a screenshot shows what Windows drew there, a drag on a
# caption moves the window by the same offset, and a click lands where it is aimed. Last, the
# program handed on to a second process is followed through its own.
source "$(dirname "$0")/lib.sh"
e2e_begin

title=rig
win=(--class TsutsuriProbeWindow --title "$title")
wine_helper wine "$TSUTSURI_PROBE" testwin 100 100 300 200 "$title" --seconds 60 </dev/null \
    >/dev/null &
E2E_PIDS+=($!)
e2e_require "test window shows" e2e_probe_read info "${win[@]}" --visible --timeout 20000
e2e_expect_eq "test window placed" "100 100 300 200" \
    "${PROBE[left]} ${PROBE[top]} ${PROBE[width]} ${PROBE[height]}"

shot=$(e2e_new_dir)/screen.png
# Its client area is painted with the window colour, white in the default scheme.
client_colour() { e2e_screenshot "$shot"; e2e_pixel "$shot" 250 200; }
e2e_poll 5 eval '[ "$(client_colour)" = ffffff ]'
e2e_expect_eq "client area colour" ffffff "$(e2e_pixel "$shot" 250 200)"
e2e_expect_ne "outside the window" ffffff "$(e2e_pixel "$shot" 50 50)"

e2e_drag 200 110 300 210
moved_to() { e2e_probe_read info "${win[@]}"; [ "${PROBE[left]} ${PROBE[top]}" = "$1" ]; }
e2e_poll 5 moved_to "200 200"
e2e_expect_eq "dragged by (100, 100)" "200 200" "${PROBE[left]} ${PROBE[top]}"

# The close box at the caption's right end.
e2e_click $((${PROBE[right]} - 10)) $((${PROBE[top]} + 10))
e2e_probe_read wait-gone "${win[@]}" --timeout 5000
e2e_expect_eq "closed by a click on its close box" 1 "${PROBE[gone]}"

# Region reading, on a shaped window: an ellipse is many rectangles within the window and
# covers about pi/4 of it: less than the whole rectangle, more than the inscribed diamond.
wine_helper wine "$TSUTSURI_PROBE" testwin 300 300 200 100 shaped --shaped --seconds 60 \
    </dev/null >/dev/null &
E2E_PIDS+=($!)
shaped=(--class TsutsuriProbeWindow --title shaped)
e2e_require "shaped window shows" e2e_probe_read info "${shaped[@]}" --visible --timeout 20000
e2e_expect_eq "region type (complex)" 3 "${PROBE[region_type]}"
e2e_expect_eq "region property set" 1 "${PROBE[region_prop]}"
IFS=, read -r l t r b <<<"${PROBE[region_bound]}"
w=${PROBE[width]} h=${PROBE[height]}
[ "$l" -ge 0 ] && [ "$t" -ge 0 ] && [ "$r" -le "$w" ] && [ "$b" -le "$h" ] ||
    e2e_fail "region bound ${PROBE[region_bound]} outside the ${w}x${h} window"
area=${PROBE[region_area]:-0}
[ $((area * 100)) -gt $((w * h * 60)) ] && [ $((area * 100)) -lt $((w * h * 95)) ] ||
    e2e_fail "ellipse area $area in a ${w}x${h} window"
e2e_probe close "${shaped[@]}" >/dev/null

# A program handed on to a second process, as Wine's 64-bit loader hands on a 32-bit one where
# the machine runs both kinds: the copy is followed through its own process, which is not the
# one launched, and the exit code still comes back.
TSUTSURI_E2E_HANDOFF=1 e2e_require "a handed-on copy shows its window" e2e_start
launched=${E2E_LAUNCHED_BY[$E2E_PID]}
e2e_expect_eq "handed on: the process launched" start.exe "$(cat "/proc/$launched/comm")"
e2e_expect_eq "handed on: the copy's own process" tsutsuri.exe "$(cat "/proc/$E2E_PID/comm")"
e2e_expect_ne "handed on: two processes" "$launched" "$E2E_PID"
e2e_require "handed on: ends on WM_CLOSE" e2e_stop
e2e_expect_eq "handed on: exit code" 0 "$E2E_EXIT_CODE"
e2e_expect_eq "handed on: the process launched has ended" 1 "$(e2e_running "$launched" || echo 1)"
e2e_finish
