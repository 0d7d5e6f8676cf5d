#!/usr/bin/env bash
# The window's shape follows the tube: the first picture is a tip under way (frame 3, in
# force before the window shows), which plays out to rest; a click starts a tip whose shapes
# run through the fall and back to rest; a right click opens the menu, and the tube stands
# still until the menu closes.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"
e2e_begin

readonly Left=300 Top=200
# A point inside every frame's shape and in the upper band (a press there tips the tube
# even in free placement, where the lower part is the drag handle): the top of the rock.
readonly PressX=$((Left + 40)) PressY=$((Top + 16))
# A forced tip's shapes, from its first step to rest again.
readonly TipFrames="3 4 5 6 7 8 7 6 5 4 3 0 1 0"

# is_subsequence SEEN WANTED: whether the frames SEEN appear in WANTED in the same order
# (a frame a starved watch missed is allowed; a frame out of order or foreign is not).
is_subsequence() {
    local -a seen=($1) wanted=($2)
    local i=0 f
    for f in "${seen[@]}"; do
        while ((i < ${#wanted[@]})) && [ "${wanted[$i]}" != "$f" ]; do i=$((i + 1)); done
        ((i < ${#wanted[@]})) || return 1
        i=$((i + 1))
    done
}

# frames_since N: the folded frames of the watched states from state N on (a state that
# keeps the frame of the one before, a press for instance, adds nothing).
frames_since() {
    local i last="" out=()
    if (($1 > 0)); then
        e2e_frame_of "${WATCH[s$(($1 - 1))_rects]}"
        last=$E2E_FRAME
    fi
    for ((i = $1; i < ${WATCH[count]}; i++)); do
        e2e_frame_of "${WATCH[s${i}_rects]}"
        [ "$E2E_FRAME" = "$last" ] && continue
        out+=("$E2E_FRAME")
        last=$E2E_FRAME
    done
    echo "${out[*]}"
}

# Free placement at a known spot, no sound, and a tube that never fills by itself.
dir=$(e2e_new_dir)
e2e_write_still_settings "$dir" "$Left" "$Top"
xdotool mousemove 1000 10

# 1. Start-up: the shape is frame 3's before the window is shown, and the start-up tip
# plays out to rest.
e2e_require "watch" e2e_watch_start 60000
e2e_require "window shows" e2e_start "$dir"
e2e_require "start-up tip ends at rest" e2e_watch_until ' 1 0$' 20
first_region="" first_visible=""
for ((i = 0; i < ${WATCH[count]}; i++)); do
    e2e_frame_of "${WATCH[s${i}_rects]}"
    [ -z "$first_region" ] && [ "$E2E_FRAME" != none ] && first_region=$E2E_FRAME
    [ -z "$first_visible" ] && [ "${WATCH[s${i}_visible]}" = 1 ] && first_visible=$E2E_FRAME
done
e2e_expect_eq "first region in force" 3 "$first_region"
e2e_expect_eq "shape when first visible" 3 "$first_visible"
startup=$(frames_since 0)
startup=${startup#none }
is_subsequence "$startup" "$TipFrames" ||
    e2e_fail "start-up shapes '$startup' are not in the order of '$TipFrames'"
e2e_expect_eq "start-up tip begins at" 3 "${startup%% *}"

# 2. A click on the resting tube: frame 3 follows (after the click's 128 ms), then the
# whole tip, back to rest.
before=${WATCH[count]}
e2e_pointer_to "$PressX" "$PressY"
xdotool mousedown 1   # held a moment, so that the watch sees the button down
sleep 0.2
xdotool mouseup 1
e2e_require "a click tips the tube" e2e_watch_until ' 1 0 3( [0-9])* 1 0$' 20
clicked=$(frames_since "$before")
is_subsequence "$clicked" "$TipFrames" ||
    e2e_fail "shapes after the click '$clicked' are not in the order of '$TipFrames'"
e2e_expect_eq "the click's tip begins at" 3 "${clicked%% *}"
# The tip waits for the click's one-shot timer (128 ms) after the press; the watch sees the
# press as the left button going down, but late (under Wine another process learns of the
# button with some delay, and GetTickCount moves in coarse steps): 80 to 130 ms are
# measured. A tip at the press itself would come before the watch saw the press at all.
press_ms="" tip_ms="" next_frame=""
for ((i = before; i < ${WATCH[count]}; i++)); do
    e2e_frame_of "${WATCH[s${i}_rects]}"
    if [ -z "$press_ms" ]; then
        (( ${WATCH[s${i}_buttons]} & 1 )) && press_ms=${WATCH[s${i}_ms]} press_frame=$E2E_FRAME
        continue
    fi
    [ "$E2E_FRAME" = "$press_frame" ] && continue
    next_frame=$E2E_FRAME tip_ms=${WATCH[s${i}_ms]}
    break
done
if [ -z "$press_ms" ] || [ -z "$tip_ms" ]; then
    e2e_fail "press (${press_ms:-unseen}) or a shape after it (${tip_ms:-unseen}) not watched"
else
    delay=$((tip_ms - press_ms))
    e2e_log "frame $next_frame came $delay ms after the press (at frame $press_frame)"
    e2e_expect_eq "the shape at the press" 0 "$press_frame"
    e2e_expect_eq "the first shape after the press" 3 "$next_frame"
    ((delay >= 40 && delay <= 1000)) || e2e_fail "frame 3 came $delay ms after the press"
fi
distinct=$(tr ' ' '\n' <<<"$clicked" | sort -u | wc -l)
[ "$distinct" -ge 7 ] || e2e_fail "only $distinct distinct shapes during the tip: $clicked"

# 3. A right click during the next tip opens the popup menu (class #32768); while it is
# open the tube stands still; Escape closes it and the tip goes on to rest.
before=${WATCH[count]}
e2e_click "$PressX" "$PressY"
e2e_require "the second click tips the tube" e2e_watch_until ' 1 0 3( [0-9])* 1 0 3 4' 20
e2e_click "$PressX" "$PressY" 3
e2e_probe_read find --class '#32768' --title '' --visible --timeout 10000
e2e_expect_eq "popup menu open" 1 "${PROBE[found]}"
e2e_watch_read
e2e_watch_frames
held=$E2E_FRAMES
e2e_ticks 8
e2e_watch_read
e2e_watch_frames
e2e_expect_eq "shapes while the menu is open (8 heartbeats)" "$held" "$E2E_FRAMES"
e2e_key Escape
e2e_probe_read wait-gone --class '#32768' --title '' --timeout 10000
e2e_expect_eq "popup menu closed by Escape" 1 "${PROBE[gone]}"
e2e_require "the tip resumes and ends at rest" \
    e2e_watch_until ' 1 0 3( [0-9])* 1 0 3( [0-9])* 1 0$' 20
resumed=$(frames_since "$before")
is_subsequence "$resumed" "$TipFrames" ||
    e2e_fail "shapes around the menu '$resumed' are not in the order of '$TipFrames'"
e2e_watch_stop
e2e_expect_eq "still running after the menu" 0 "$(e2e_running && echo 0 || echo 1)"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
