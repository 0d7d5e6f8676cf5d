#!/usr/bin/env bash
# The menu's "ヘルプ" hands the shell the help page under the program's current directory: in
# the session's prefix, .html files are given for a moment to a handler that only writes down
# what it was asked to open (the probe's `record`); the item is chosen with the mouse from the
# popup menu, and the page asked for must be the run folder's help/tsutsurin.html, once.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin

readonly ProgId=TsutsuriTest.HelpRecorder HelpBand=7
page_source=$(cd "$(dirname "$0")/../../help" && pwd)/tsutsurin.html
# The handler and its record lie in a short folder of drive C:, so that its command line is
# short wherever the build lies; only the page asked for keeps the run folder's length.
handler_dir=$WINEPREFIX/drive_c/tsutsuri-help.$TSUTSURI_ARCH
rm -rf "$handler_dir"
mkdir -p "$handler_dir"
cp "$TSUTSURI_PROBE" "$handler_dir/probe.exe"
record=$handler_dir/opened.txt

reg() { wine reg "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# A 32-bit program looks its file types up in the registry's 32-bit view, which Wine keeps
# apart from the 64-bit one: the handler goes into both. What .html was before comes back at
# the end, so that the tests after this one find the prefix as it was.
declare -A OLD_HTML=()
views=(32 64)
for v in "${views[@]}"; do
    if reg query 'HKCR\.html' /reg:$v >/dev/null; then
        OLD_HTML[$v]=$(reg query 'HKCR\.html' /ve /reg:$v | LC_ALL=C sed -n 's/^.*REG_SZ    //p')
    fi
done
help_cleanup() {
    local rc=$? v
    for v in "${views[@]}"; do
        reg delete "HKCR\\$ProgId" /f /reg:$v >/dev/null
        if [ -z "${OLD_HTML[$v]+set}" ]; then
            reg delete 'HKCR\.html' /f /reg:$v >/dev/null
        elif [ -n "${OLD_HTML[$v]}" ]; then
            reg add 'HKCR\.html' /ve /d "${OLD_HTML[$v]}" /f /reg:$v >/dev/null
        else
            reg delete 'HKCR\.html' /ve /f /reg:$v >/dev/null
        fi
    done
    rm -rf "$handler_dir"
    (exit $rc)
    ui_cleanup
}
trap help_cleanup EXIT

probe_win="C:\\tsutsuri-help.$TSUTSURI_ARCH\\probe.exe"
record_win="C:\\tsutsuri-help.$TSUTSURI_ARCH\\opened.txt"
for v in "${views[@]}"; do
    reg add "HKCR\\$ProgId\\shell\\open\\command" /ve /f /reg:$v \
        /d "\"$probe_win\" record \"$record_win\" \"%1\"" >/dev/null &&
        reg add 'HKCR\.html' /ve /d "$ProgId" /f /reg:$v >/dev/null ||
        e2e_require "the .html handler is registered ($v-bit view)" false
done

# Free and always on top at a known place, with the page where the menu item looks for it.
dir=$(e2e_new_dir)
mkdir -p "$dir/help"
cp "$page_source" "$dir/help/"
e2e_settings "$dir" 400 300 Runsts:posmode=2 Runsts:snd_vol=0
e2e_require "window shows" e2e_start "$dir"

# Right click on the lower rock; the menu's eighth line of text is "ヘルプ".
e2e_click 430 335 3
e2e_require "a right click opens the menu" ui_wait_menus 1
ui_menu_shot 0 "$E2E_DIR/menu.png"
e2e_require "nine lines of text in the menu" [ "${#BANDS[@]}" -eq 9 ]
ui_click_band 0 $HelpBand

recorded() { [ -s "$record" ]; }
e2e_require "the shell was asked to open something" e2e_poll 20 recorded
sleep 1   # a second request, were there one, has its moment to arrive
mapfile -t opened < <(tr -d '\r' <"$record")
e2e_expect_eq "pages asked for" 1 "${#opened[@]}"
asked=$(wine winepath -u "${opened[0]}" 2>/dev/null | tr -d '\r')
e2e_log "asked to open ${opened[0]} ($asked)"
[ -n "$asked" ] && [ "$asked" -ef "$dir/help/tsutsurin.html" ] ||
    e2e_fail "the page asked for is not $dir/help/tsutsurin.html: ${opened[0]}"
e2e_poll 5 ui_no_menu || e2e_fail "the menu stayed open after the choice"
e2e_expect_eq "the program runs on after ヘルプ" 1 "$(e2e_running && echo 1)"
e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
