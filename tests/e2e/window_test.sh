#!/usr/bin/env bash
# The main window as start-up leaves it: a visible 48x48 frameless tool window named
# "Tsutsuri", where placement puts it, on the desktop's screen.
source "$(dirname "$0")/lib.sh"
e2e_begin

# Free placement and no stored position: the window stands centred on the screen and stays
# there (perched placement would move it beside the window in front on the first tick).
expected_position() {
    echo "$(((1024 - 48) / 2)) $(((768 - 48) / 2))"
}
dir=$(e2e_new_dir)
printf '[Runsts]\nposmode=1\n' | e2e_ini_write "$dir/tsutsurin.ini"

e2e_require "window shows" e2e_start "$dir"
e2e_require "window info" e2e_window_info
check() { e2e_expect_eq "$1" "$2" "${WIN[$1]}"; }
check class Tsutsuri
check title Tsutsuri
check width 48
check height 48
check visible 1
check popup 1
check toolwindow 1
check iconic 0
read -r x y <<<"$(expected_position)"
check left "$x"
check top "$y"

# The window is really on the X screen: its area is not the desktop's colour everywhere.
shot=$E2E_DIR/screen.png
e2e_screenshot "$shot"
e2e_crop "$shot" "$E2E_DIR/window.png"
desktop=$(e2e_pixel "$shot" 5 5)
colours=$(convert "$E2E_DIR/window.png" -unique-colors txt:- | grep -vc "#${desktop^^}")
[ "$colours" -ge 1 ] || e2e_fail "the window's area shows only the desktop colour $desktop"
# The desktop has its taskbar along the bottom edge.
e2e_probe_read tray
e2e_expect_eq "taskbar top" 748 "${PROBE[top]}"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
