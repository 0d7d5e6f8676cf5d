#!/usr/bin/env bash
# Two monitors, in two layouts: a second monitor to the left and higher (negative
# coordinates), and one to the right and taller. Perched beside a window on the second
# monitor, the sozu stands on that window's bottom or on that monitor's floor; a free place on
# the second monitor survives the free-placement commands; a place saved on a monitor that is
# not there comes back onto the nearest one at start-up, and the file holds it; a drag from
# the primary onto the left monitor is saved with negative coordinates.
#
# Wine shows several monitors only without a virtual desktop and with XRandR off, where it
# takes them from Xinerama: this test makes a session of its own (one large Xvfb screen, its
# own prefix), with a stand-in libXinerama.so.1 that reports the layout in TSUTSURI_MONITORS,
# and ends it when it ends. Wine puts the primary monitor (listed first) at the origin.
# Once where both run: the monitors are read through the same calls and records in both
# builds (a MONITORINFO holds no pointer), and where the sozu goes on them is portable code;
# x64.win32.scale_test reads the real monitors with the 64-bit build.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
source "$(dirname "$0")/pictures.sh"

: "${TSUTSURI_XINERAMA:?the stand-in libXinerama.so.1 folders}"
[ "${TSUTSURI_ARCH:-32}" = 64 ] || [[ $TSUTSURI_XINERAMA == *xinerama32* ]] ||
    e2e_skip "no 32-bit stand-in libXinerama.so.1 (the compiler cannot make one)"

readonly Screen=1824x1000 Side=48 GripX=42 GripY=42
session=$E2E_LIB_DIR/../wine/wine-env.sh
MON_STATE=$(mktemp -d "$TSUTSURI_WINE_STATE/monitors.XXXXXX")
TSUTSURI_SESSION_SCREEN=$Screen TSUTSURI_SESSION_DESKTOP=none \
    TSUTSURI_SESSION_LIBS=$TSUTSURI_XINERAMA "$session" start "$MON_STATE" >/dev/null ||
    { "$session" stop "$MON_STATE"; rm -rf "$MON_STATE"; exit 1; }
TSUTSURI_WINE_STATE=$MON_STATE
ui_begin

# The copies, the test windows, then the session: Wine's server and the Xvfb, by its pid.
mon_cleanup() {
    local rc=$?
    ui_end_testwins
    (exit $rc)
    (e2e_cleanup)
    "$session" stop "$MON_STATE"
    rm -rf "$MON_STATE"
    exit $rc
}
trap mon_cleanup EXIT

# mon_layout NAME MONITORS OX OY "L,T,R,B ...": Wine afresh with these X monitors ("WxH+X+Y",
# the primary first), whose origin lies at X (OX, OY); waits until Windows sees the monitors
# given (the primary first).
mon_layout() {
    local i want=() seen
    LAYOUT=$1 OX=$3 OY=$4
    export TSUTSURI_MONITORS=$2
    read -ra want <<<"$5"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p </dev/null >/dev/null 2>&1
    # A hidden window keeps the desktop process up between the copies, as in the shared
    # session: one that starts while that process ends may fail to start.
    e2e_require "$LAYOUT: the desktop" "$E2E_LIB_DIR/desktop.sh" "$TSUTSURI_WINE_STATE" \
        "$TSUTSURI_PROBE"
    e2e_probe_read monitors
    seen=""
    for ((i = 0; i < ${PROBE[count]:-0}; i++)); do
        seen+="${PROBE[m${i}_left]},${PROBE[m${i}_top]},${PROBE[m${i}_right]},${PROBE[m${i}_bottom]} "
    done
    e2e_log "$LAYOUT: monitors $seen"
    e2e_require "$LAYOUT: the monitors" [ "${seen% }" = "${want[*]}" ]
}

# mon_xy X Y: the X screen point of a Windows point.
mon_xy() { echo "$(($1 + OX)) $(($2 + OY))"; }

mon_saved() {
    local ini=$E2E_DIR/tsutsurin.ini
    echo "$(e2e_ini_get "$ini" Winpos Xpos),$(e2e_ini_get "$ini" Winpos Ypos)"
}
mon_saved_is() { [ "$(mon_saved)" = "$1" ]; }

# mon_perched WHAT L T W H FLOOR: a window of that rectangle in front; the perched sozu
# stands at its left edge, on its bottom or on FLOOR, whichever is higher.
mon_perched() {
    local what="$LAYOUT: $1" title=$1 bottom want
    ui_testwin "$2" "$3" "$4" "$5" "$title"
    ui_testwin_rect "$title"
    bottom=${RECT[bottom]}
    [ "$bottom" -gt "$6" ] && bottom=$6
    want="$((RECT[left] - Side)),$((bottom - Side))"
    e2e_poll 5 ui_sozu_at "$want" || e2e_fail "$what: sozu at ${WIN[left]},${WIN[top]}, not $want"
    e2e_log "$what: window ${RECT[left]},${RECT[top]},${RECT[right]},${RECT[bottom]}, sozu at ${WIN[left]},${WIN[top]}"
}

# mon_free_stays X Y: a free sozu started at (X, Y) on the second monitor stays there through
# the two free-placement commands, and is saved there.
mon_free_stays() {
    local dir command mode
    dir=$(e2e_new_dir)
    e2e_ini_free_at "$dir" "$1" "$2"
    e2e_require "$LAYOUT: window shows (free)" e2e_start "$dir"
    for command in 40029:2 40018:1; do
        mode=${command#*:}
        e2e_probe command "${command%:*}" >/dev/null
        e2e_poll 10 ui_ini_is Runsts posmode "$mode" || e2e_fail "$LAYOUT: posmode $mode"
        e2e_window_info
        e2e_expect_eq "$LAYOUT: free place after ${command%:*}" "$1,$2" "${WIN[left]},${WIN[top]}"
        e2e_log "$LAYOUT: free at $1,$2, after ${command%:*} at ${WIN[left]},${WIN[top]}"
    done
    e2e_require "$LAYOUT: ends on WM_CLOSE" e2e_stop
    e2e_expect_eq "$LAYOUT: saved free place" "$1,$2" "$(mon_saved)"
}

# mon_comes_back X Y L T: a free place saved at (X, Y), on no monitor, comes back to (L, T)
# at start-up, and the file holds it while the program runs.
mon_comes_back() {
    local dir
    dir=$(e2e_new_dir)
    e2e_ini_free_at "$dir" "$1" "$2"
    e2e_require "$LAYOUT: window shows (gone monitor)" e2e_start "$dir"
    e2e_window_info
    e2e_expect_eq "$LAYOUT: back from $1,$2" "$3,$4" "${WIN[left]},${WIN[top]}"
    e2e_poll 5 mon_saved_is "$3,$4" || true
    e2e_expect_eq "$LAYOUT: saved after coming back" "$3,$4" "$(mon_saved)"
    e2e_log "$LAYOUT: saved at $1,$2, shown at ${WIN[left]},${WIN[top]}, file $(mon_saved)"
    e2e_require "$LAYOUT: ends on WM_CLOSE" e2e_stop
}

# mon_drag L T L2 T2: a free sozu at (L, T) dragged by its grip to (L2, T2) is saved there
# once the pointer passes over its lower part.
mon_drag() {
    local dir x y
    dir=$(e2e_new_dir)
    e2e_write_still_settings "$dir" "$1" "$2"
    e2e_require "$LAYOUT: window shows (drag)" e2e_start "$dir"
    # shellcheck disable=SC2046
    e2e_drag $(mon_xy $(($1 + GripX)) $(($2 + GripY))) $(mon_xy $(($3 + GripX)) $(($4 + GripY)))
    read -r x y <<<"$(mon_xy $(($3 + GripX + 1)) $(($4 + GripY + 1)))"
    e2e_pointer_to "$x" "$y"
    e2e_poll 10 mon_saved_is "$3,$4" || true
    e2e_window_info
    e2e_expect_eq "$LAYOUT: dropped at" "$3,$4" "${WIN[left]},${WIN[top]}"
    e2e_expect_eq "$LAYOUT: saved after the drag" "$3,$4" "$(mon_saved)"
    e2e_log "$LAYOUT: dragged from $1,$2 to ${WIN[left]},${WIN[top]}, file $(mon_saved)"
    e2e_require "$LAYOUT: ends on WM_CLOSE" e2e_stop
    e2e_expect_eq "$LAYOUT: saved at the exit" "$3,$4" "$(mon_saved)"
    # Read back as signed numbers: the next start stands there.
    e2e_require "$LAYOUT: window shows (read back)" e2e_start "$dir"
    e2e_window_info
    e2e_expect_eq "$LAYOUT: read back" "$3,$4" "${WIN[left]},${WIN[top]}"
    e2e_require "$LAYOUT: ends on WM_CLOSE" e2e_stop
}

xdotool mousemove 10 10

# ---- The second monitor to the left and higher: X 800x968 at 0,0 beside the primary ------
mon_layout "left" "1024x768+800+200 800x968+0+0" 800 200 "0,0,1024,768 -800,-200,0,768"
ui_testwin -700 -100 400 450 left-window
e2e_require "window shows (perched)" e2e_start
mon_perched left-window -700 -100 400 450 768
mon_perched left-low -600 500 400 600 768
e2e_require "left: ends on WM_CLOSE" e2e_stop
ui_end_testwins
UI_TESTWINS=()
mon_free_stays -500 300
mon_comes_back -3000 -1000 -424 260
mon_drag 400 300 -500 300

# ---- The second monitor to the right and taller: X 800x1000 at 1024,0 --------------------
mon_layout "right" "1024x768+0+0 800x1000+1024+0" 0 0 "0,0,1024,768 1024,0,1824,1000"
ui_testwin 1200 450 400 500 right-window
e2e_require "window shows (perched)" e2e_start
mon_perched right-window 1200 450 400 500 1000
mon_perched right-low 1300 700 400 500 1000
e2e_require "right: ends on WM_CLOSE" e2e_stop
ui_end_testwins
UI_TESTWINS=()
mon_free_stays 1300 500
mon_comes_back 3000 3000 1400 476

e2e_finish
