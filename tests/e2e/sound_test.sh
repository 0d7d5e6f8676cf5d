#!/usr/bin/env bash
# The sozu heard through the DirectSound engine, in the session's capture file: a tip sounds
# the spill and then the strike; with the echo switched on from the menu the strike carries
# more sound after it; a tip while the window is dragged is silent, and the tips after the
# drag are heard again, whether the pointer came back over the window or the window was
# perched from the menu first; the running water plays without a break while "水の音" is on
# and stops when it is switched off from the menu. The CPU thresholds stand at 100, so that
# no tip comes by itself and every sound is one the test asked for.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
source "$(dirname "$0")/capture.sh"
ui_begin

readonly Left=300 Top=300
readonly ClickX=$((Left + 24)) ClickY=$((Top + 20))   # the rock's top: a tip press
readonly EchoGainPercent=108    # the echo adds about 16 per cent to what follows the spill
readonly CommandEcho=40055 CommandWater=40032

dir=$(e2e_new_dir)
e2e_settings "$dir" "$Left" "$Top" Runsts:posmode=1 Runsts:snd_vol=1 Runsts:etc_water=0 \
    Runsts:etc_yoin=0 Runsts:win_obj=0 Kand:cpu0=100 Kand:cpu1=100 Kand:cpu2=100 Kand:cpu3=100 \
    Kand:cpu4=100 Kand:cpu5=100

# wait_key KEY VALUE: waits up to 5 s for a run-state key to be written with VALUE.
wait_key() {
    local i
    for ((i = 0; i < 50; i++)); do
        [ "$(e2e_ini_get "$E2E_DIR/tsutsurin.ini" Runsts "$1")" = "$2" ] && return 0
        sleep 0.1
    done
    e2e_fail "$1 is not $2 in the settings file"
    return 1
}

# tip_sounds WHAT: waits for the spill and the strike of a tip from byte MARK on; checks that
# they came in that order and sets AFTER_SPILL to the energy of everything after the spill.
tip_sounds() {
    local i
    AFTER_SPILL=0
    capture_wait_sounds "$MARK" 2 20 || { capture_log "$1"; e2e_fail "$1: no spill and strike heard"; return 1; }
    capture_log "$1"
    for ((i = 1; i < ${#CAP_START[@]}; i++)); do AFTER_SPILL=$((AFTER_SPILL + CAP_ENERGY[i])); done
    # The strike is the longer and louder of the two; the spill comes 12 ticks before it.
    ((CAP_ENERGY[0] < CAP_ENERGY[1] && CAP_LENGTH[0] < CAP_LENGTH[1])) ||
        e2e_fail "$1: the first sound is not the spill and the second the strike"
}

# click_tip [X Y]: a click on the window that tips the tube; MARK is where the capture stood.
click_tip() {
    # xdotool's synchronous move waits for the pointer to move: start from elsewhere.
    xdotool mousemove 10 10
    MARK=$(capture_size)
    e2e_click "${1:-$ClickX}" "${2:-$ClickY}"
}

e2e_require "window shows" e2e_start "$dir"
MARK=0
tip_sounds "start-up tip"

click_tip
tip_sounds "click without echo"
plain=$AFTER_SPILL

e2e_probe command "$CommandEcho" >/dev/null
wait_key etc_yoin 1
click_tip
tip_sounds "click with echo"
echoed=$AFTER_SPILL
((plain > 0 && echoed * 100 >= plain * EchoGainPercent)) ||
    e2e_fail "no echo after the strike: $echoed against $plain without"

# A tip while the window is being dragged runs its frames in silence, the echo included.
shapes=$E2E_DIR/shapes.log
wine_helper wine "$TSUTSURI_PROBE" shape-log --seconds 5 </dev/null >"$shapes" &
log_pid=$!
E2E_PIDS+=("$log_pid")
e2e_poll 5 grep -q '^shape0=' "$shapes"
click_tip
# The drag begins once the click's tip has: the shape has changed.
e2e_poll 5 grep -q '^shape1=' "$shapes" || e2e_fail "no tip after the click"
xdotool mousemove --sync "$ClickX" $((Top + 36)) mousedown 1
for ((i = 1; i <= 35; i++)); do
    xdotool mousemove $((ClickX + i)) $((Top + 36))
    sleep 0.1
done
xdotool mouseup 1
# The log ends after 5 s, well after the tip; then all it asked for has been mixed.
wait "$log_pid"
capture_wait_growth "$(capture_size)" 1 10
capture_read "$MARK"
capture_log "tip while dragging"
e2e_expect_eq "sounds of a tip while dragging" 0 "${#CAP_START[@]}"
# At rest, then from frame 3 over and back to rest, the rebound and rest again: the last
# three shapes are rest, rebound, rest. (Frame 3 may pass unseen: the click's timer and the
# next heartbeat can come within a few milliseconds.)
read -r changes ended < <(tr -d '\r' <"$shapes" | awk -F'[= ]' '/^shape[0-9]/ { h[n++] = $4 }
    END { print n, (n >= 3 && h[n - 1] == h[0] && h[n - 3] == h[0]) }')
((changes >= 13 && ended == 1)) ||
    e2e_fail "the tube did not tip while dragged ($changes shapes, see $shapes)"
# Hovering over the lower part ends the drag, as the dragged position reaching the settings
# file shows: the next tip is heard again.
e2e_require "window info" e2e_window_info
xdotool mousemove $((WIN[left] + 24)) $((WIN[top] + 40))
xdotool mousemove $((WIN[left] + 25)) $((WIN[top] + 41))
e2e_poll 5 ui_ini_is Winpos Xpos "${WIN[left]}" || e2e_fail "the hover did not save the position"
click_tip $((WIN[left] + 24)) $((WIN[top] + 20))
tip_sounds "click after the drag"

# Dragged again, then perched from the menu before the pointer comes back over the window:
# perching ends the drag too, and the next tip is heard.
e2e_require "window info" e2e_window_info
e2e_drag $((WIN[left] + 24)) $((WIN[top] + 36)) $((WIN[left] + 64)) $((WIN[top] + 36))
xdotool mousemove 10 10
ui_testwin 400 200 300 300 perch
e2e_probe command 40017 >/dev/null
wait_key posmode 0
# Beside the window in front: its left edge, its bottom (500).
perched() { e2e_window_info && [ "${WIN[left]},${WIN[top]}" = "352,452" ]; }
e2e_poll 10 perched || e2e_fail "not perched: at ${WIN[left]},${WIN[top]}"
click_tip $((352 + 24)) $((452 + 20))
tip_sounds "click when perched after a drag"

# The water loops, switched on and off from the menu.
MARK=$(capture_size)
e2e_probe command "$CommandWater" >/dev/null
wait_key etc_water 1
# Once the water is heard, a second and a half of it without a break.
water_heard() { capture_read "$MARK"; ((${#CAP_START[@]} > 0)); }
e2e_poll 10 water_heard || e2e_fail "no water heard"
MARK=$(capture_size)
capture_wait_growth "$MARK" 1.5 10
capture_read "$MARK"
capture_log "water on"
((${#CAP_START[@]} == 1 && CAP_LENGTH[0] * 100 >= CAP_FRAMES * 95)) ||
    e2e_fail "the water does not run without a break"

e2e_probe command "$CommandWater" >/dev/null
wait_key etc_water 0
capture_expect_silence "water switched off"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
