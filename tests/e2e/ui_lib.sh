# shellcheck shell=bash
# Helpers for the tests of the popup menu, the tray icon, the about dialog and perching;
# sourced after lib.sh. Functions that set globals must be called directly, not in $( ).

UI_TASKBAR_TOP=748
UI_TRAY_ICON_SIDE=16
# The notification area lies at the right end of the taskbar; the task buttons end far left.
UI_TRAY_AREA_LEFT=624
MENU_CLASS='#32768'
declare -ga MENUS=()   # the last ui_menus: "left top right bottom" of each open menu, front first
declare -ga BANDS=()   # the last ui_menu_bands: "top bottom" of each line of text, top first

# ui_ini_is SECTION KEY VALUE: whether the running copy's settings file holds that value.
ui_ini_is() { [ "$(e2e_ini_get "$E2E_DIR/tsutsurin.ini" "$1" "$2")" == "$3" ]; }

# ui_menus: the visible popup menus into MENUS, front to back; returns 1 when none is open.
ui_menus() {
    local i
    MENUS=()
    e2e_probe_read windows
    for ((i = 0; i < ${PROBE[count]:-0}; i++)); do
        [ "${PROBE[w${i}_class]}" == "$MENU_CLASS" ] || continue
        MENUS+=("${PROBE[w${i}_left]} ${PROBE[w${i}_top]} ${PROBE[w${i}_right]} ${PROBE[w${i}_bottom]}")
    done
    [ ${#MENUS[@]} -gt 0 ]
}

ui_no_menu() { ! ui_menus; }

# ui_wait_menus N: waits until N menus are open (the menu, then its sub-menu).
ui_wait_menus() {
    e2e_poll 10 ui_menus_are "$1"
}
ui_menus_are() { ui_menus; [ ${#MENUS[@]} -eq "$1" ]; }

# ui_menu_bands IMAGE: the rows of a menu's picture that hold black text, grouped into lines
# of text, into BANDS ("top bottom", picture rows). The separator line is grey, not black.
ui_menu_bands() {
    local line
    BANDS=()
    while IFS= read -r line; do BANDS+=("$line"); done < <(
        convert "$1" -depth 8 txt:- | awk -F'[,:]' '
            NR > 1 && /#000000/ { ink[$2] = 1; if ($2 > last) last = $2 }
            END {
                start = -1
                for (y = 0; y <= last + 1; y++) {
                    if ((y in ink) && start < 0) start = y
                    if (!(y in ink) && start >= 0) { print start, y - 1; start = -1 }
                }
            }')
}

# ui_differ_pixels A B: how many pixels differ between two pictures of the same size.
ui_differ_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# ui_click_band MENU_INDEX BAND_INDEX: clicks the middle of a line of text of an open menu
# whose bands ui_menu_bands found in a picture cut to that menu's rectangle.
ui_click_band() {
    local l t r b y0 y1
    read -r l t r b <<<"${MENUS[$1]}"
    read -r y0 y1 <<<"${BANDS[$2]}"
    e2e_click $(((l + r) / 2)) $((t + (y0 + y1) / 2))
}

# ui_menu_shot MENU_INDEX OUT: a screenshot cut to one open menu; BANDS set from it.
ui_menu_shot() {
    local l t r b
    read -r l t r b <<<"${MENUS[$1]}"
    e2e_screenshot "$E2E_DIR/screen.png"
    e2e_crop "$E2E_DIR/screen.png" "$2" "$l" "$t" $((r - l)) $((b - t))
    ui_menu_bands "$2"
}

# ui_tray_icons SHOT: the left edges of the icons shown in the notification area, right to
# left, one a line: runs of columns that differ from the taskbar's own colour.
ui_tray_icons() {
    local strip=$E2E_DIR/taskbar.png
    convert "$1" -crop "1024x20+0+$UI_TASKBAR_TOP" +repage "$strip"
    local ground
    ground=$(convert "$strip" -depth 8 -format '%c' histogram:info:- | sort -rn |
        head -1 | sed -n 's/.*\(#[0-9A-Fa-f]\{6\}\).*/\1/p')
    convert "$strip" -depth 8 txt:- | awk -F'[,:]' -v g="$ground" -v from="$UI_TRAY_AREA_LEFT" '
        NR > 1 && $1 >= from && index($0, g) == 0 { ink[$1] = 1 }
        END {
            for (x = 1023; x >= from; x--) {
                if ((x in ink) && !((x - 1) in ink)) print x
            }
        }'
}

# ui_open_tray_menu: clicks the icons that show the program's pictures, from the right, until
# one opens a menu (other programs' icons may stand there too). Sets UI_TRAY_X, UI_TRAY_Y to the
# place that worked; 1 when none did.
ui_open_tray_menu() {
    local shot=$E2E_DIR/tray.png x
    e2e_screenshot "$shot"
    for x in $(ui_tray_icons "$shot"); do
        ui_tray_icon_is_ours "$shot" "$x" || continue
        UI_TRAY_X=$((x + UI_TRAY_ICON_SIDE / 2))
        UI_TRAY_Y=$((UI_TASKBAR_TOP + 10))
        e2e_click "$UI_TRAY_X" "$UI_TRAY_Y"
        # A loaded machine may take seconds to open it: the menu is waited for.
        if e2e_poll 10 ui_menus; then return 0; fi
    done
    return 1
}

# ---- test windows ------------------------------------------------------------------------

declare -ga UI_TESTWINS=()   # probe test windows this test opened (wine_helper pids)
UI_TESTWIN_LIFE_S=170        # a safety net: none outlives a test's time limit

# ui_begin: e2e_begin, and the test windows are ended before the program when the test ends.
ui_begin() {
    e2e_begin
    trap ui_cleanup EXIT
}

ui_cleanup() {
    local rc=$?
    ui_end_testwins
    (exit $rc)
    e2e_cleanup
}

# ui_testwin L T W H TITLE: an ordinary window of that rectangle, brought to the front; waits
# until it shows. Sets UI_TESTWIN_PID, for ui_end_testwin.
ui_testwin() {
    wine_helper wine "$TSUTSURI_PROBE" testwin "$@" --seconds "$UI_TESTWIN_LIFE_S" </dev/null \
        >/dev/null &
    UI_TESTWIN_PID=$!
    UI_TESTWINS+=("$UI_TESTWIN_PID")
    e2e_probe find --class TsutsuriProbeWindow --title "$5" --visible --timeout 30000 >/dev/null
}

# ui_end_testwin PID: ends a test window's process, as a crash or kill would, and waits.
ui_end_testwin() {
    kill "$1" 2>/dev/null || return 0
    wait "$1" 2>/dev/null || true
}

ui_end_testwins() {
    local pid
    for pid in "${UI_TESTWINS[@]}"; do ui_end_testwin "$pid"; done
}

# ---- perching -----------------------------------------------------------------------------

UI_SOZU_SIDE=48
UI_FRAME_BORDER=0        # the invisible border a window manager reports (left, right, bottom)
declare -gA RECT=()      # the last ui_testwin_rect

# ui_testwin_rect TITLE: a test window's rectangle into RECT (left top right bottom).
ui_testwin_rect() {
    e2e_probe_read info --class TsutsuriProbeWindow --title "$1"
    RECT=([left]=${PROBE[left]} [top]=${PROBE[top]} [right]=${PROBE[right]} [bottom]=${PROBE[bottom]})
}

# ui_perch_of_rect: "x,y", where the sozu belongs beside the visible frame of RECT's window:
# its right edge on the frame's left, its bottom on the frame's bottom or the taskbar's top.
ui_perch_of_rect() {
    local bottom=$((RECT[bottom] - UI_FRAME_BORDER))
    [ "$bottom" -gt $UI_TASKBAR_TOP ] && bottom=$UI_TASKBAR_TOP
    echo "$((RECT[left] + UI_FRAME_BORDER - UI_SOZU_SIDE)),$((bottom - UI_SOZU_SIDE))"
}

ui_sozu_at() { e2e_window_info; [ "${WIN[left]},${WIN[top]}" == "$1" ]; }

# ui_expect_perch WHAT TITLE: waits (a tick is 128 ms) for the sozu beside that window, in
# the topmost band.
ui_expect_perch() {
    ui_testwin_rect "$2"
    local want
    want=$(ui_perch_of_rect)
    e2e_poll 5 ui_sozu_at "$want" || e2e_fail "$1: sozu at ${WIN[left]},${WIN[top]}, not $want"
    e2e_expect_eq "$1: topmost" 1 "${WIN[topmost]}"
}

# ui_click_sozu_to_front: a middle click on the sozu makes it the foreground window (a left
# press on the caption does not activate).
ui_click_sozu_to_front() {
    e2e_window_info
    e2e_click $((WIN[left] + 30)) $((WIN[top] + 35)) 2
    e2e_poll 5 eval 'e2e_window_info; [ "${WIN[is_foreground]}" == 1 ]' ||
        e2e_fail "a click did not make the sozu the foreground window"
}

# ui_focus_x [NAME_REGEX]: gives the X keyboard focus to a window by its title (default the
# program's main window). Wine makes a window the foreground without always moving the X
# focus there (a window shown while another program had the focus), and xdotool's keys go
# where the X focus is.
ui_focus_x() {
    local id
    id=$(xdotool search --name "${1:-^Tsutsuri\$}" | head -1)
    [ -n "$id" ] && xdotool windowfocus --sync "$id"
}

# ui_tray_icon_is_ours SHOT X: whether the 16x16 cell at X in the notification area shows
# one of the program's two tray pictures (resting or tipping), drawn over the taskbar.
UI_RES_DIR=$(cd "$E2E_LIB_DIR/../../res" && pwd)
ui_tray_icon_is_ours() {
    local cell=$E2E_DIR/tray-cell.png ico n
    convert "$1" -crop "${UI_TRAY_ICON_SIDE}x${UI_TRAY_ICON_SIDE}+$2+$((UI_TASKBAR_TOP + 2))" \
        +repage "$cell"
    for ico in tray tray_tipping; do
        convert "$UI_RES_DIR/$ico.ico[0]" -background white -flatten "$E2E_DIR/icon-$ico.png"
        n=$(compare -metric AE -fuzz 10% "$cell" "$E2E_DIR/icon-$ico.png" null: 2>&1 | cut -d' ' -f1)
        [ "${n:-999}" -le 8 ] && return 0
    done
    return 1
}

# ui_marked_band PICTURE: the index in BANDS (of that menu picture) of the one line with a
# check mark in the left margin; prints nothing when no line or several lines have one.
UI_MARK_MARGIN=16
ui_marked_band() {
    local i y0 y1 found=""
    for i in "${!BANDS[@]}"; do
        read -r y0 y1 <<<"${BANDS[$i]}"
        convert "$1" -crop "${UI_MARK_MARGIN}x$((y1 - y0 + 1))+0+$y0" +repage -depth 8 txt:- |
            grep -q '#000000' || continue
        [ -n "$found" ] && return 1
        found=$i
    done
    echo "$found"
}
