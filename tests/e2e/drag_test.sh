#!/usr/bin/env bash
# Dragging the free-standing sozu by its lower part (from row 25 down; a press on row 24
# tips the tube instead): at the press the window jumps so that the pointer holds it at
# window point (42, 42); it follows the pointer and stays where it is dropped, without
# tipping; the new position reaches the settings file once the pointer moves over the
# window's lower part after the drop.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"
e2e_begin

readonly Left=300 Top=200
readonly GripX=42 GripY=42
# The presses, inside every frame's shape: the drag area begins at window row 25; a press
# on row 24, the first row of the lower part, still tips the tube.
readonly TipPressX=$((Left + 40)) TipPressY=$((Top + 24))
readonly PressX=$((Left + 40)) PressY=$((Top + 25))
readonly DropX=600 DropY=400
readonly EndLeft=$((DropX - GripX)) EndTop=$((DropY - GripY))

dir=$(e2e_new_dir)
e2e_write_still_settings "$dir" "$Left" "$Top"
xdotool mousemove 1000 10

e2e_require "watch" e2e_watch_start 60000
e2e_require "window shows" e2e_start "$dir"
e2e_require "start-up tip ends at rest" e2e_watch_until ' 1 0$' 20

e2e_click "$TipPressX" "$TipPressY"
e2e_require "a press on row 24 tips the tube" e2e_watch_until ' 1 0 3( [0-9])* 1 0$' 20
e2e_require "window info" e2e_window_info
e2e_expect_eq "position after the press on row 24" "$Left,$Top" "${WIN[left]},${WIN[top]}"
before=${WATCH[count]}

# watch_position_seen L,T FROM: whether the watch saw the window at L,T since state FROM.
watch_position_seen() {
    local i
    e2e_watch_read
    for ((i = $2; i < ${WATCH[count]}; i++)); do
        [ "${WATCH[s${i}_left]},${WATCH[s${i}_top]}" = "$1" ] && return 0
    done
    return 1
}

# The press; the jump must come before the pointer moves (a loaded machine may take its
# time to handle the press), then the drag in steps and the drop.
jump="$((PressX - GripX)),$((PressY - GripY))"
e2e_pointer_to "$PressX" "$PressY"
xdotool mousedown 1
for ((i = 0; i < 100; i++)); do
    watch_position_seen "$jump" "$before" && break
    sleep 0.1
done
steps=8
for ((i = 1; i <= steps; i++)); do
    xdotool mousemove --sync $((PressX + (DropX - PressX) * i / steps)) \
        $((PressY + (DropY - PressY) * i / steps))
    sleep 0.05
done
xdotool mouseup 1
for ((i = 0; i < 100; i++)); do
    watch_position_seen "$EndLeft,$EndTop" "$before" && break
    sleep 0.1
done
e2e_require "window info" e2e_window_info
e2e_expect_eq "dropped at" "$EndLeft,$EndTop" "${WIN[left]},${WIN[top]}"

# The positions the window went through: first the jump under the pointer, last the drop.
e2e_watch_read
# (States that only record a mouse button keep the position: they are folded.)
moves=()
last="$Left,$Top"
for ((i = before; i < ${WATCH[count]}; i++)); do
    position="${WATCH[s${i}_left]},${WATCH[s${i}_top]}"
    [ "$position" != "$last" ] && moves+=("$position")
    last=$position
    e2e_frame_of "${WATCH[s${i}_rects]}"
    e2e_expect_eq "shape during the drag (state $i)" 0 "$E2E_FRAME"
done
e2e_log "positions during the drag: ${moves[*]}"
e2e_expect_eq "jump at the press" "$jump" "${moves[0]:-}"
e2e_expect_eq "last position" "$EndLeft,$EndTop" "${moves[-1]:-}"
[ "${#moves[@]}" -ge 3 ] || e2e_fail "the window did not follow the pointer: ${moves[*]}"

# The pointer moves on over the lower part (window point (43, 43)): the position is saved.
e2e_pointer_to $((EndLeft + GripX + 1)) $((EndTop + GripY + 1))
ini=$E2E_DIR/tsutsurin.ini
for ((i = 0; i < 100; i++)); do
    [ "$(e2e_ini_get "$ini" Winpos Xpos),$(e2e_ini_get "$ini" Winpos Ypos)" = \
        "$EndLeft,$EndTop" ] && break
    sleep 0.1
done
e2e_expect_eq "saved position" "$EndLeft,$EndTop" \
    "$(e2e_ini_get "$ini" Winpos Xpos),$(e2e_ini_get "$ini" Winpos Ypos)"
e2e_watch_stop

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
