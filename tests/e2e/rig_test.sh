#!/usr/bin/env bash
# The rig itself, with the probe's own framed window instead of the program: X screen
# coordinates are the desktop's, a screenshot shows what Windows drew there, a drag on a
# caption moves the window by the same offset, and a click lands where it is aimed.
source "$(dirname "$0")/lib.sh"
e2e_begin

title=rig
win=(--class TsutsuriProbeWindow --title "$title")
wine "$TSUTSURI_PROBE" testwin 100 100 300 200 "$title" --seconds 60 </dev/null >/dev/null 2>&1 &
E2E_PIDS+=($!)
e2e_require "test window shows" e2e_probe_read info "${win[@]}" --visible --timeout 20000
e2e_expect_eq "test window placed" "100 100 300 200" \
    "${PROBE[left]} ${PROBE[top]} ${PROBE[width]} ${PROBE[height]}"

sleep 0.3
shot=$(e2e_new_dir)/screen.png
e2e_screenshot "$shot"
# Its client area is painted with the window colour, white in the default scheme.
e2e_expect_eq "client area colour" ffffff "$(e2e_pixel "$shot" 250 200)"
e2e_expect_ne "outside the window" ffffff "$(e2e_pixel "$shot" 50 50)"

e2e_drag 200 110 300 210
sleep 0.3
e2e_probe_read info "${win[@]}"
e2e_expect_eq "dragged by (100, 100)" "200 200" "${PROBE[left]} ${PROBE[top]}"

# The close box at the caption's right end.
e2e_click $((${PROBE[right]} - 10)) $((${PROBE[top]} + 10))
e2e_probe_read wait-gone "${win[@]}" --timeout 5000
e2e_expect_eq "closed by a click on its close box" 1 "${PROBE[gone]}"
e2e_finish
