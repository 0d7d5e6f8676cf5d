#!/usr/bin/env bash
# The sozu on a scaled display (150 % and 200 %): Wine hands every program the DPI set in
# LogPixels, as Windows hands it to a program that declares itself aware of the scale. The
# window is 48 x DPI / 96 pixels, shows nothing but the artwork's own colours (the desktop
# behind its transparent pixels), wears exactly the enlarged frame's shape, lets a click just
# outside that shape through, and perches with its right edge on the window's left.
# Once where both run: size, shape and perch at a scale are portable arithmetic over the DPI
# the same calls read in both builds; x64.win32.scale_test checks the 64-bit build's enlarged
# paint and shape and its change of DPI.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
source "$(dirname "$0")/pictures.sh"
ui_begin

# The scale for programs started from now on; the next tests get 100 % again, whatever happens.
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        </dev/null >/dev/null 2>&1
}
trap 'rc=$?; set_dpi 96; (exit $rc); ui_cleanup' EXIT

readonly Left=300 Top=200
# A row of the upper band (a press there tips; lower down a free sozu is dragged), with
# desktop left of the rock: artwork row 13, whose first screen row is taken at each scale.
readonly ArtworkRow=13
work=$(e2e_new_dir)

# Every colour the artwork can put on the window: the frames, the stream and the meter strip
# (meters and drops).
for f in "$E2E_RES_DIR"/frame*.bmp "$E2E_RES_DIR"/stream_sheet.bmp "$E2E_RES_DIR"/meter_strip.bmp; do
    e2e_pixels "$f" | cut -d' ' -f3
done | sort -u >"$work/palette.txt"

# enlarged_mask SIDE: frame 0's shape enlarged to SIDE, as SIDE rows of "0"/"1" run together:
# every screen pixel takes the artwork pixel it lies in.
enlarged_mask() {
    e2e_bmp_mask "$E2E_RES_DIR/frame0.bmp" | awk -v s="$1" '{
        for (y = 0; y < s; y++) for (x = 0; x < s; x++)
            printf "%s", substr($0, int(y * 48 / s) * 48 + int(x * 48 / s) + 1, 1)
        print "" }'
}
# region_mask SIDE: the window's region (the last e2e_window_info) the same way.
region_mask() {
    awk -v rects="${WIN[region_rects]}" -v s="$1" 'BEGIN {
        n = split(rects, list, " ")
        for (i = 1; i <= n; i++) {
            split(list[i], c, ",")
            for (y = c[2]; y < c[4]; y++) for (x = c[1]; x < c[3]; x++) m[y * s + x] = 1
        }
        for (i = 0; i < s * s; i++) printf "%d", (i in m) ? 1 : 0
        print "" }'
}
at_rest() { e2e_window_info && [ "$(region_mask "$1")" = "$2" ]; }
tipping() { e2e_window_info && [ "$(region_mask "$1")" != "$2" ]; }

for dpi in 144 192; do
    side=$((48 * dpi / 96))
    set_dpi "$dpi"
    dir=$(e2e_new_dir)
    e2e_write_still_settings "$dir" "$Left" "$Top" mem_rel=1 mem_sum=1 etc_sizuk=1
    xdotool mousemove 1000 10
    e2e_require "$dpi DPI: window shows" e2e_start "$dir"
    e2e_require "$dpi DPI: window info" e2e_window_info
    e2e_expect_eq "$dpi DPI: window size" "${side}x$side" "${WIN[width]}x${WIN[height]}"
    e2e_expect_eq "$dpi DPI: position" "$Left,$Top" "${WIN[left]},${WIN[top]}"

    # The start-up tip ends at rest: then the shape is frame 0's, enlarged.
    rest=$(enlarged_mask "$side")
    e2e_poll 10 at_rest "$side" "$rest" || e2e_fail "$dpi DPI: the shape is not frame 0's enlarged"

    # Only the artwork's colours inside the window, and the desktop around the shape.
    shot=$work/shot$dpi.png
    e2e_screenshot "$shot"
    e2e_crop "$shot" "$work/win$dpi.png"
    desktop=$(e2e_pixel "$shot" $((Left - 8)) $((Top + 8)))
    e2e_pixels "$work/win$dpi.png" | cut -d' ' -f3 | sort | uniq -c | sort -rn >"$work/colours$dpi.txt"
    foreign=$(awk -v d="$desktop" 'NR == FNR { p[$1] = 1; next } !($2 in p) && $2 != d { n += $1 }
                  END { print n + 0 }' "$work/palette.txt" "$work/colours$dpi.txt")
    e2e_log "$dpi DPI: ${side}x$side window, $(wc -l <"$work/colours$dpi.txt") colours," \
        "$foreign pixels outside the artwork's palette and the desktop ($desktop)"
    e2e_expect_eq "$dpi DPI: pixels of no artwork colour" 0 "$foreign"

    # A click on the first transparent pixel left of the shape in one row goes through: the
    # tube does not tip. The same click on the shape's first pixel tips it.
    Row=$(((ArtworkRow * side + 47) / 48))
    first=$(awk -v s="$side" -v r=$Row '{ row = substr($0, r * s + 1, s); print index(row, "1") - 1 }' <<<"$rest")
    [ "$first" -gt 0 ] || e2e_fail "$dpi DPI: row $Row has no transparent pixel left of the shape"
    e2e_click $((Left + first - 1)) $((Top + Row))
    if e2e_poll 2 tipping "$side" "$rest"; then
        e2e_fail "$dpi DPI: a click just outside the shape reached the sozu"
    fi
    e2e_click $((Left + first)) $((Top + Row))
    e2e_poll 3 tipping "$side" "$rest" || e2e_fail "$dpi DPI: a click on the shape did not tip"
    xdotool mousemove 1000 10

    # Perched beside a window: the sozu's right edge on its left edge, at the new size.
    UI_SOZU_SIDE=$side
    e2e_probe command 40017 >/dev/null
    ui_testwin 420 150 400 300 "N$dpi"
    ui_expect_perch "$dpi DPI: perched beside the window" "N$dpi"
    e2e_window_info
    e2e_log "$dpi DPI: perched at ${WIN[left]},${WIN[top]} beside a window at left ${RECT[left]}"
    ui_end_testwins
    UI_TESTWINS=()

    # The about dialog, laid out by the system at the scale: every text whole in its control.
    e2e_probe command 40015 >/dev/null
    if e2e_probe_read about --timeout 15000; then
        e2e_log "$dpi DPI: about dialog ${PROBE[width]}x${PROBE[height]}, texts cut: ${PROBE[texts_cut]}"
        e2e_expect_eq "$dpi DPI: about dialog texts cut off" 0 "${PROBE[texts_cut]}"
        e2e_probe close --class '#32770' --title-hex "$(e2e_hex 'Tsutsuri について')" >/dev/null
        e2e_poll 5 eval 'e2e_probe_read about; [ "${PROBE[count]}" == 0 ]' ||
            e2e_fail "$dpi DPI: the about dialog did not close"
    else
        e2e_fail "$dpi DPI: the about dialog did not open"
    fi
    e2e_require "$dpi DPI: ends on WM_CLOSE" e2e_stop
done
e2e_finish
