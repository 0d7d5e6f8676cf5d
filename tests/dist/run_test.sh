#!/usr/bin/env bash
# A release package as a user meets it: run_test.sh PACKAGES_DIR (TSUTSURI_ARCH says which).
# The zip of this architecture is unpacked into a new folder whose path holds a space and
# Japanese, the program is started from there with no settings file, "終了" is chosen from the
# menu that a click on the tray icon opens, and the program ends with exit code 0, leaving
# tsutsurin.ini in that folder and nowhere else.
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/../e2e/ui_lib.sh"
packages=${1:?usage: run_test.sh PACKAGES_DIR}
ui_begin

readonly ExitBand=8
case $TSUTSURI_ARCH in
32) zips=("$packages"/tsutsuri-*-win32.zip) ;;
*) zips=("$packages"/tsutsuri-*-win64.zip) ;;
esac
e2e_require "one package for the ${TSUTSURI_ARCH}-bit program in $packages" \
    [ ${#zips[@]} -eq 1 -a -f "${zips[0]}" ]
base=$(mktemp -d "$TSUTSURI_WINE_STATE/e2e.dist.XXXXXX")
# "ソ" ends in the byte of a backslash in code page 932, the classic trap for a path taken
# apart byte by byte.
dir="$base/添水 テスト ソ"
mkdir -p "$dir"
e2e_require "the package unpacks" unzip -q "${zips[0]}" -d "$dir"
e2e_log "unpacked $(basename "${zips[0]}") into $dir"

# What this run writes is newer than this: files other tests left in the prefix are theirs.
stamp=$base/started
touch "$stamp"
e2e_launch_exe "$dir/tsutsuri.exe" "$dir" "$base/wine.log"
E2E_PID=$E2E_LAUNCHED_PID
E2E_DIR=$base    # the pictures the menu helpers take go beside the folder, not into it
e2e_require "window shows" e2e_wait_window

e2e_require "the tray icon opens the menu" ui_open_tray_menu
ui_menu_shot 0 "$base/menu.png"
e2e_require "nine lines of text in the menu" [ "${#BANDS[@]}" -eq 9 ]
ui_click_band 0 $ExitBand
if e2e_wait_exit; then
    e2e_expect_eq "exit code after 終了" 0 "$E2E_EXIT_CODE"
else
    e2e_fail "still running after 終了"
fi

ini=$dir/tsutsurin.ini
e2e_require "tsutsurin.ini in $dir" [ -f "$ini" ]
for key in "Runsts posmode 0" "Runsts win_obj 1" "Kand cpu2 45" "Debug sw 0"; do
    read -r section name value <<<"$key"
    e2e_expect_eq "saved $section/$name" "$value" "$(e2e_ini_get "$ini" "$section" "$name")"
done
stray=$(find "$base" "$TSUTSURI_WINE_STATE/home" -name tsutsurin.ini -newer "$stamp" \
    ! -path "$ini" 2>/dev/null)
e2e_expect_eq "settings files elsewhere" "" "$stray"
e2e_finish
