#!/usr/bin/env bash
# The about dialog: opened by its command and through the menu, centred on the desktop, the
# sozu hidden while it is open; its sound line follows the sound back end and the debug
# switch, its CPU line is refreshed; Escape leaves it open, Enter closes it; a click on the
# tray icon while it is open raises it instead of opening the menu.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin

ABOUT_TITLE_HEX=$(e2e_hex 'Tsutsuri について')
# shellcheck disable=SC2120  # e2e_require passes the arguments
about() { e2e_probe_read about "$@"; }
about_open() { about; [ "${PROBE[count]}" == 1 ]; }
about_gone() { about; [ "${PROBE[count]}" == 0 ]; }
main_visible_is() { e2e_window_info; [ "${WIN[visible]}" == "$1" ]; }
dialog_in_front() {
    e2e_probe_read foreground
    [ "${PROBE[class]}" == "#32770" ] && [ "${PROBE[title_hex]}" == "$ABOUT_TITLE_HEX" ]
}
# The sound line, its text as the dialog shows it.
expect_sound_line() {
    e2e_expect_eq "sound line ($1)" "$(e2e_hex "$1")" "${PROBE[text1003_hex]}"
}
# "CPU使用率：n％" with n from 0 to 100, in code page 932 bytes.
CPU_HEAD=$(e2e_hex 'CPU使用率：')
CPU_TAIL=$(e2e_hex '％')
cpu_percent() {   # prints n, or nothing when the line has another form
    local hex=${PROBE[text1002_hex]} digits
    [[ $hex =~ ^${CPU_HEAD}((3[0-9]){1,3})${CPU_TAIL}$ ]] || return 1
    digits=$(printf '%s' "${BASH_REMATCH[1]}" | xxd -r -p)
    [ "$digits" -le 100 ] && echo "$digits"
}

dir=$(e2e_new_dir)
e2e_settings "$dir" 400 300 Runsts:posmode=1 Runsts:snd_vol=2
ui_testwin 40 40 300 200 keeper
e2e_require "window shows" e2e_start "$dir"

# ---- opened by its command ---------------------------------------------------------------
e2e_probe command 40015 >/dev/null
e2e_require "the dialog opens" about --timeout 15000
e2e_expect_eq "dialog caption" "$ABOUT_TITLE_HEX" "${PROBE[caption_hex]}"
e2e_expect_eq "centred, left" $(((1024 - PROBE[width]) / 2)) "${PROBE[left]}"
e2e_expect_eq "centred, top" $(((768 - PROBE[height]) / 2)) "${PROBE[top]}"
expect_sound_line "Sound   ：  Direct"
e2e_poll 5 main_visible_is 0 || e2e_fail "the sozu is still shown while the dialog is open"

# The CPU line: its form on every reading, and a new value within a few of the dialog's
# one-second refreshes while busy loops load both cores.
seen=""
load_pids=()
for _ in 1 2; do timeout 6 bash -c 'while :; do :; done' & load_pids+=($!); done
for ((i = 0; i < 15; i++)); do
    about
    n=$(cpu_percent) || e2e_fail "CPU line: ${PROBE[text1002_hex]}"
    [[ " $seen " == *" $n "* ]] || seen="$seen $n"
    [ $i -ge 2 ] && [ "$(wc -w <<<"$seen")" -ge 2 ] && break
    sleep 0.4
done
kill "${load_pids[@]}" 2>/dev/null
wait "${load_pids[@]}" 2>/dev/null
e2e_log "CPU line values seen:$seen"
# A machine held at one figure throughout (all busy) shows no change; that is no fault.
[ "$(wc -w <<<"$seen")" -ge 2 ] || e2e_log "note: the CPU usage did not change, so no refresh was seen"

# Escape does not close it.
e2e_require "the dialog takes the keyboard" ui_focus_x 'Tsutsuri について'
e2e_key Escape
sleep 1
about_open || e2e_fail "Escape closed the dialog"

# Another window in front, then a click on the tray icon: the dialog comes back to the front
# and no menu opens.
e2e_probe activate --class TsutsuriProbeWindow --title keeper >/dev/null
e2e_poll 5 eval '! dialog_in_front' || e2e_fail "the keeper window did not come to the front"
e2e_screenshot "$E2E_DIR/tray.png"
clicked=0
for x in $(ui_tray_icons "$E2E_DIR/tray.png"); do
    ui_tray_icon_is_ours "$E2E_DIR/tray.png" "$x" || continue
    e2e_click $((x + UI_TRAY_ICON_SIDE / 2)) $((UI_TASKBAR_TOP + 10))
    clicked=1
    break
done
e2e_expect_eq "tray icon found" 1 $clicked
e2e_poll 5 dialog_in_front || e2e_fail "a tray click left the dialog behind: ${PROBE[title]}"
sleep 1
ui_no_menu || e2e_fail "a tray click opened the menu while the dialog was open"

# Enter closes it; the sozu comes back where it was, not topmost.
e2e_require "the dialog takes the keyboard" ui_focus_x 'Tsutsuri について'
e2e_key Return
e2e_poll 5 about_gone || e2e_fail "Enter did not close the dialog"
e2e_poll 5 main_visible_is 1 || e2e_fail "the sozu did not come back after the dialog"
e2e_expect_eq "sozu in its place" "400,300,0" "${WIN[left]},${WIN[top]},${WIN[topmost]}"

# ---- volume OFF, then the dialog through the menu ----------------------------------------
e2e_probe command 40024 >/dev/null
e2e_poll 10 ui_ini_is RunSts snd_vol 0 || e2e_fail "snd_vol after OFF"
e2e_probe activate >/dev/null
e2e_click 430 335 3
e2e_require "the menu opens" ui_wait_menus 1
ui_menu_shot 0 "$E2E_DIR/menu.png"
e2e_require "nine lines in the menu" [ "${#BANDS[@]}" -eq 9 ]
ui_click_band 0 6
e2e_require "Tsutsuriについて... opens the dialog" about --timeout 15000
expect_sound_line "Sound   ：  OFF"
e2e_probe close --class '#32770' --title-hex "$ABOUT_TITLE_HEX" >/dev/null
e2e_poll 5 about_gone || e2e_fail "the close box did not close the dialog"

# ---- the exit command: code 0 and a full save --------------------------------------------
e2e_probe command 40006 >/dev/null
if e2e_wait_exit; then
    e2e_expect_eq "exit code after 40006" 0 "$E2E_EXIT_CODE"
else
    e2e_fail "still running after 40006"
fi
for key in "Winpos Xpos 400" "Runsts snd_vol 0" "Kand cpu0 15" "Debug sw 0"; do
    read -r section name value <<<"$key"
    e2e_expect_eq "saved $section/$name" "$value" "$(e2e_ini_get "$E2E_DIR/tsutsurin.ini" "$section" "$name")"
done

# ---- the debug switch marks the sound line; always on top comes back on top ---------------
dir=$(e2e_new_dir)
e2e_settings "$dir" 300 200 Runsts:posmode=2 Runsts:snd_vol=2 Debug:sw=1
e2e_require "window shows again" e2e_start "$dir"
e2e_probe command 40015 >/dev/null
e2e_require "the dialog opens" about --timeout 15000
expect_sound_line "Sound   ：  Direct(DBG)"
e2e_probe close --class '#32770' --title-hex "$ABOUT_TITLE_HEX" >/dev/null
e2e_poll 5 about_gone || e2e_fail "the close box did not close the dialog"
e2e_poll 5 main_visible_is 1 || e2e_fail "the sozu did not come back after the dialog"
e2e_expect_eq "sozu in its place, on top" "300,200,1" "${WIN[left]},${WIN[top]},${WIN[topmost]}"
e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
