#!/usr/bin/env bash
# Explorer restarting, as Windows does it after a crash or an update: the icons go with the
# old taskbar, and the new one broadcasts "TaskbarCreated". The program's icon comes back
# with its picture, and a click on it still opens the menu.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin

# Free and away from the taskbar, so that the sozu never stands in the notification area.
dir=$(e2e_new_dir)
e2e_ini_free_at "$dir" 400 300
e2e_require "window shows" e2e_start "$dir"

# our_icons N: whether the notification area shows N icons with one of the program's pictures.
our_icons() {
    local shot=$E2E_DIR/tray-area.png x n=0
    e2e_screenshot "$shot"
    for x in $(ui_tray_icons "$shot"); do
        ui_tray_icon_is_ours "$shot" "$x" && n=$((n + 1))
    done
    OUR_ICONS=$n
    [ "$n" -eq "$1" ]
}

e2e_require "the icon shows after start-up" e2e_poll 10 our_icons 1

# The icon out of the shell, as an Explorer that ends takes it.
e2e_probe_read tray-delete
e2e_expect_eq "icon deleted by the probe" 1 "${PROBE[deleted]}"
e2e_poll 10 our_icons 0 || e2e_fail "the icon is still shown after its deletion ($OUR_ICONS)"

# A new Explorer announces its taskbar to every top-level window.
e2e_probe_read broadcast TaskbarCreated
e2e_expect_eq "TaskbarCreated broadcast" 1 "${PROBE[posted]}"
e2e_poll 10 our_icons 1 || e2e_fail "the icon did not come back after TaskbarCreated ($OUR_ICONS)"

# The icon added again is the program's own: a click opens the menu. A click on the desktop
# closes it again.
e2e_require "the icon opens the menu again" ui_open_tray_menu
e2e_click 200 600
e2e_poll 5 ui_no_menu || e2e_fail "the menu stayed open"
e2e_window_info
e2e_expect_eq "window unchanged" "400,300,1" "${WIN[left]},${WIN[top]},${WIN[visible]}"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
