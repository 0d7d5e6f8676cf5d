#!/usr/bin/env bash
# What the resting sozu looks like on the desktop: left of the stream the window shows
# exactly frame 0 of the artwork, clipped to that frame's shape (the desktop shows through
# elsewhere); the stream column shows the thinnest stream cell over the frame, in one of its
# two shimmer phases, and successive paints alternate between them. With the meters switched
# on, their case and bars stand over the post.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"
e2e_begin

readonly StreamLeft=30 StreamWidth=18
readonly Left=300 Top=200

# Free placement at a known spot; no meters and no drops, so that everything left of the
# stream is the frame; no sound; a cumulative threshold so high that the tube never fills
# by itself (its stream stays the thinnest) and the rest lasts.
dir=$(e2e_new_dir)
e2e_write_still_settings "$dir" "$Left" "$Top" mem_rel=0 mem_sum=0 etc_sizuk=0
xdotool mousemove 1000 10   # the pointer away from the window

e2e_require "watch" e2e_watch_start 20000
e2e_require "window shows" e2e_start "$dir"
# The start-up tip ends with the rebound (frame 1) and the tube at rest (frame 0).
e2e_require "start-up tip ends at rest" e2e_watch_until ' 1 0$' 20
e2e_watch_stop
e2e_require "window info" e2e_window_info
e2e_expect_eq "position" "$Left,$Top" "${WIN[left]},${WIN[top]}"

work=$E2E_DIR/paint
mkdir -p "$work"
e2e_pixels "$E2E_RES_DIR/frame0.bmp" >"$work/frame.txt"
awk -v s=$StreamLeft '$1 >= s { print $1 - s, $2, $3 }' "$work/frame.txt" >"$work/frame-stream.txt"
# The two pictures of the stream column: frame AND mask OR sheet, for the thinnest stream's
# two shimmer columns (row 0: the frame at rest). ImageMagick's And/Or work on the 16-bit
# scaled values, which gives the same result as on 8-bit ones (v * 257 keeps the bits).
for phase in 0 1; do
    cell="$StreamWidth""x48+$((phase * StreamWidth))+0"
    convert \( "$E2E_RES_DIR/frame0.bmp" -crop "$StreamWidth""x48+$StreamLeft+0" +repage \) \
        \( "$E2E_RES_DIR/stream_mask.bmp" -crop "$cell" +repage \) -evaluate-sequence And \
        \( "$E2E_RES_DIR/stream_sheet.bmp" -crop "$cell" +repage \) -evaluate-sequence Or \
        -depth 8 "$work/phase$phase.png"
    e2e_pixels "$work/phase$phase.png" >"$work/phase$phase.txt"
done
water=$(paste -d' ' "$work/frame-stream.txt" "$work/phase0.txt" |
    awk '$3 != "000000" && $3 != $6 { n++ } END { print n + 0 }')
[ "$water" -gt 0 ] || e2e_fail "the artwork's stream cell adds no water inside the shape"

# Captures of the window: each must show the frame left of the stream and one shimmer phase
# in the stream column; over several paints both phases must appear. The pauses between
# captures are drawn at random: a capture takes about a heartbeat itself, and captures at a
# steady pace can fall on the same phase every time.
declare -A seen=()
for ((i = 0; i < 20; i++)); do
    shot=$work/shot$i.png
    e2e_screenshot "$shot"
    e2e_crop "$shot" "$work/win$i.png"
    e2e_pixels "$work/win$i.png" >"$work/win$i.txt"
    desktop=$(e2e_pixel "$shot" $((Left - 8)) $((Top + 8)))
    # Left of the stream: inside the shape the frame's pixel, outside it the desktop.
    read -r inside wrong outside bare <<<"$(paste -d' ' "$work/frame.txt" "$work/win$i.txt" |
        awk -v s=$StreamLeft -v d="$desktop" '$1 < s {
            if ($3 != "000000") { n++; if ($6 != $3) w++ } else { o++; if ($6 != d) b++ } }
            END { print n + 0, w + 0, o + 0, b + 0 }')"
    e2e_expect_eq "capture $i: frame pixels left of the stream that differ (of $inside)" 0 "$wrong"
    e2e_expect_eq "capture $i: pixels outside the shape not showing the desktop (of $outside)" \
        0 "$bare"
    awk -v s=$StreamLeft '$1 >= s { print $1 - s, $2, $3 }' "$work/win$i.txt" >"$work/ws$i.txt"
    phase=none
    for p in 0 1; do
        off=$(paste -d' ' "$work/frame-stream.txt" "$work/phase$p.txt" "$work/ws$i.txt" |
            awk '$3 != "000000" && $6 != $9 { n++ } END { print n + 0 }')
        [ "$off" = 0 ] && phase=$p
    done
    e2e_expect_ne "capture $i: the stream column shows one of the two stream phases" none "$phase"
    seen[$phase]=1
    [ -n "${seen[0]:-}" ] && [ -n "${seen[1]:-}" ] && [ "$i" -ge 2 ] && break
    sleep "0.$(printf '%03d' $((RANDOM % 300)))"
done
e2e_log "shimmer: phases ${!seen[*]} seen in $((i + 1)) captures"
[ -n "${seen[0]:-}" ] && [ -n "${seen[1]:-}" ] ||
    e2e_fail "the stream does not shimmer: phases seen ${!seen[*]}"

# Both meters switched on from the menu: the case and the two narrow bars stand over the
# post (x 18 to 23, y 21 to 45), drawn from the standard band of the meter strip (rows 50
# to 74). The summed level stays 0, so the cumulative bar sinks to nothing within 25 paints
# and columns 21 to 23 show the empty case; the instantaneous bar (columns 18 to 20) is the
# case's top rows over the bar's top rows moved down by its gap, whatever the CPU usage.
# Everything else left of the stream is still the frame.
e2e_probe command 40033 >/dev/null   # instantaneous meter
e2e_probe command 40049 >/dev/null   # cumulative meter
e2e_pixels "$E2E_RES_DIR/meter_strip.bmp" >"$work/strip.txt"
meter_check() {   # prints: frame pixels that differ, cumulative pixels that differ, bar gap
    awk -v s=$StreamLeft '
        FILENAME == ARGV[1] { strip[$1 "," $2] = $3; next }
        FILENAME == ARGV[2] { frame[$1 "," $2] = $3; next }
        { win[$1 "," $2] = $3 }
        END {
            band = 50
            for (y = 0; y < 48; y++) for (x = 0; x < s; x++) {
                k = x "," y
                if (frame[k] == "000000") continue
                meter = (x >= 18 && x < 24 && y >= 21 && y < 46)
                if (!meter && win[k] != frame[k]) off++
                if (meter && x >= 21 && win[k] != strip[(x - 18) "," (band + y - 21)]) cum++
            }
            gap = -1
            for (g = 0; g <= 25 && gap < 0; g++) {
                ok = 1
                for (x = 18; x < 21 && ok; x++) for (y = 21; y < 46 && ok; y++) {
                    if (y < 21 + g) want = strip[(x - 18) "," (band + y - 21)]
                    else want = strip[(6 + x - 18) "," (band + y - 21 - g)]
                    if (frame[x "," y] != "000000" && win[x "," y] != want) ok = 0
                }
                if (ok) gap = g
            }
            print off + 0, cum + 0, gap
        }' "$work/strip.txt" "$work/frame.txt" "$1"
}
for ((i = 0; i < 40; i++)); do
    e2e_screenshot "$work/meters.png"
    e2e_crop "$work/meters.png" "$work/meters-win.png"
    e2e_pixels "$work/meters-win.png" >"$work/meters.txt"
    read -r off cum gap <<<"$(meter_check "$work/meters.txt")"
    [ "$off" = 0 ] && [ "$cum" = 0 ] && [ "$gap" != -1 ] && break
    e2e_ticks 2
done
e2e_log "meters: capture $i, frame pixels off $off, cumulative pixels off $cum, gap $gap"
e2e_expect_eq "frame pixels left of the stream that differ, meters shown" 0 "$off"
e2e_expect_eq "cumulative meter pixels that are not the empty case" 0 "$cum"
e2e_expect_ne "the instantaneous meter shows a bar over its case" -1 "$gap"
ini=$E2E_DIR/tsutsurin.ini
e2e_expect_eq "mem_rel saved by the command" 1 "$(e2e_ini_get "$ini" Runsts mem_rel)"
e2e_expect_eq "mem_sum saved by the command" 1 "$(e2e_ini_get "$ini" Runsts mem_sum)"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
