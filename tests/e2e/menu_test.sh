#!/usr/bin/env bash
# The popup menu from a right click on the window and from the tray icon: it opens at the
# pointer, its Japanese items are drawn as real glyphs, a chosen item changes its setting in
# the settings file, and its exit item ends the program with everything saved and the icon
# taken out of the notification area.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin

# Free and always on top at a known place, so that the pointer can find the window.
dir=$(e2e_new_dir)
e2e_settings "$dir" 400 300 Runsts:posmode=2
# Another program's window on the desktop, as a user has one; it holds the X focus when the
# program starts, so the keys below first give the focus back to the program's window.
ui_testwin 40 40 200 120 keeper
e2e_require "window shows" e2e_start "$dir"
# A point inside the window's shape: the lower rock.
grab_x=430
grab_y=335

# ---- right click: the menu's bottom-left corner at the pointer --------------------------
e2e_click $grab_x $grab_y 3
e2e_require "a right click opens the menu" ui_wait_menus 1
read -r l t r b <<<"${MENUS[0]}"
e2e_expect_eq "menu's left at the pointer" $grab_x "$l"
e2e_expect_eq "menu's bottom at the pointer" $grab_y "$b"

# Nine lines of text (six sub-menus, about, help, exit). Were the kana and kanji missing
# from the font, every full-width character would be the same empty box: lines of equally
# many characters would then be drawn alike, "水の対象" like "特殊効果", and
# "Tsutsuriの音量" like "Tsutsuriの位置".
ui_menu_shot 0 "$E2E_DIR/menu.png"
e2e_expect_eq "lines of text in the menu" 9 "${#BANDS[@]}"
line_picture() {   # band index, output: the text part of one line, 15 rows round its middle
    local y0 y1 w
    read -r y0 y1 <<<"${BANDS[$1]}"
    w=$(identify -format '%w' "$E2E_DIR/menu.png")
    e2e_crop "$E2E_DIR/menu.png" "$2" 0 $(((y0 + y1) / 2 - 7)) $((w - 24)) 15
}
if [ "${#BANDS[@]}" -eq 9 ]; then
    for pair in "0 5" "2 3"; do
        read -r a c <<<"$pair"
        line_picture "$a" "$E2E_DIR/line$a.png"
        line_picture "$c" "$E2E_DIR/line$c.png"
        n=$(ui_differ_pixels "$E2E_DIR/line$a.png" "$E2E_DIR/line$c.png")
        [ "${n:-0}" -gt 20 ] || e2e_fail "menu lines $a and $c look alike ($n pixels differ): boxes?"
    done
fi

# Chosen with the keyboard, the X focus on the window: "特殊効果" (sixth line),
# its sub-menu, "しずく" (second item) turns the drops off.
ui_focus_x
e2e_key Down Down Down Down Down Down Right
e2e_require "the effects sub-menu opens" ui_wait_menus 2
e2e_key Down Return
e2e_poll 10 ui_ini_is Runsts etc_sizuk 0 ||
    e2e_fail "etc_sizuk after choosing しずく: $(e2e_ini_get "$E2E_DIR/tsutsurin.ini" Runsts etc_sizuk)"
e2e_poll 5 ui_no_menu || e2e_fail "the menu stayed open after the choice"

# ---- the tray icon: a left click opens the same menu -------------------------------------
# The icon shows one of the program's two pictures (ui_open_tray_menu clicks only those).
e2e_require "the tray icon opens the menu" ui_open_tray_menu
e2e_log "tray icon at $UI_TRAY_X,$UI_TRAY_Y"
[ "$UI_TRAY_X" -gt 900 ] || e2e_fail "the tray icon is not at the taskbar's right end ($UI_TRAY_X)"
e2e_expect_eq "menus open from the tray" 1 "${#MENUS[@]}"
icons_running=$(ui_tray_icons "$E2E_DIR/tray.png" | wc -l)
# Chosen with the mouse: "Tsutsuriの位置" opens its sub-menu, "自由に配置" takes the window
# out of the topmost band and leaves it in place.
ui_menu_shot 0 "$E2E_DIR/traymenu.png"
ui_click_band 0 3
e2e_require "the position sub-menu opens" ui_wait_menus 2
ui_menu_shot 0 "$E2E_DIR/submenu.png"
e2e_expect_eq "items of the position sub-menu" 3 "${#BANDS[@]}"
e2e_expect_eq "marked position item at start-up" 2 "$(ui_marked_band "$E2E_DIR/submenu.png")"
ui_click_band 0 1
e2e_poll 10 ui_ini_is Runsts posmode 1 ||
    e2e_fail "posmode after choosing 自由に配置: $(e2e_ini_get "$E2E_DIR/tsutsurin.ini" Runsts posmode)"
e2e_poll 5 ui_no_menu || e2e_fail "the tray menu stayed open after the choice"
e2e_window_info
e2e_expect_eq "topmost after 自由に配置" 0 "${WIN[topmost]}"
e2e_expect_eq "window stays in place" "400,300" "${WIN[left]},${WIN[top]}"

# ---- "終了" through the menu: exit code 0, every section saved, the icon gone -----------
e2e_click $grab_x $grab_y 3
e2e_require "the menu opens again" ui_wait_menus 1
ui_menu_shot 0 "$E2E_DIR/menu2.png"
e2e_require "nine lines again" [ "${#BANDS[@]}" -eq 9 ]
# On the way, the position sub-menu now marks "自由に配置".
menu2_bands=("${BANDS[@]}")
ui_click_band 0 3
if ui_wait_menus 2; then
    ui_menu_shot 0 "$E2E_DIR/submenu2.png"
    e2e_expect_eq "marked position item after the choice" 1 "$(ui_marked_band "$E2E_DIR/submenu2.png")"
else
    e2e_fail "the position sub-menu did not open again"
fi
ui_menus
BANDS=("${menu2_bands[@]}")
ui_click_band $((${#MENUS[@]} - 1)) 8
if e2e_wait_exit; then
    e2e_expect_eq "exit code after 終了" 0 "$E2E_EXIT_CODE"
else
    e2e_fail "still running after 終了"
fi
ini=$E2E_DIR/tsutsurin.ini
for key in "Winpos Xpos 400" "Winpos Ypos 300" "Runsts posmode 1" "Runsts etc_sizuk 0" \
           "Kand cpu5 90" "Kand random5 48" "Debug sw 0"; do
    read -r section name value <<<"$key"
    e2e_expect_eq "saved $section/$name" "$value" "$(e2e_ini_get "$ini" "$section" "$name")"
done
gone() {
    e2e_screenshot "$E2E_DIR/after.png"
    [ "$(ui_tray_icons "$E2E_DIR/after.png" | wc -l)" -lt "$icons_running" ]
}
e2e_poll 5 gone || e2e_fail "the tray icon is still there after 終了"
e2e_finish
