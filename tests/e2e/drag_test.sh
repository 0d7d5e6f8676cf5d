#!/usr/bin/env bash
# Dragging the free-standing sozu by its lower part: at the press the window jumps so that
# the pointer holds it at window point (42, 42); it follows the pointer and stays where it
# is dropped, without tipping; the new position reaches the settings file once the pointer
# moves over the window's lower part after the drop.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"
e2e_begin

readonly Left=300 Top=200
readonly GripX=42 GripY=42
# The press: window point (40, 35), inside every frame's shape and below the upper band.
readonly PressX=$((Left + 40)) PressY=$((Top + 35))
readonly DropX=600 DropY=400
readonly EndLeft=$((DropX - GripX)) EndTop=$((DropY - GripY))

dir=$(e2e_new_dir)
e2e_ini_write "$dir/tsutsurin.ini" <<X
[Winpos]
Xpos=$Left
Ypos=$Top
[Runsts]
posmode=1
snd_vol=0
[Kand]
cpu2=10000
X
xdotool mousemove 1000 10

e2e_require "watch" e2e_watch_start 60000
e2e_require "window shows" e2e_start "$dir"
e2e_require "start-up tip ends at rest" e2e_watch_until ' 1 0$' 20
before=${WATCH[count]}

e2e_drag "$PressX" "$PressY" "$DropX" "$DropY"
e2e_require "window info" e2e_window_info
e2e_expect_eq "dropped at" "$EndLeft,$EndTop" "${WIN[left]},${WIN[top]}"

# The positions the window went through: first the jump under the pointer, last the drop.
e2e_watch_read
moves=()
for ((i = before; i < ${WATCH[count]}; i++)); do
    moves+=("${WATCH[s${i}_left]},${WATCH[s${i}_top]}")
    e2e_frame_of "${WATCH[s${i}_rects]}"
    e2e_expect_eq "shape during the drag (state $i)" 0 "$E2E_FRAME"
done
e2e_log "positions during the drag: ${moves[*]}"
e2e_expect_eq "jump at the press" "$((PressX - GripX)),$((PressY - GripY))" "${moves[0]:-}"
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
