#!/usr/bin/env bash
# On a system whose language is not Japanese the program shows its Japanese exactly as on a
# Japanese one, and a folder named in Japanese keeps its settings. Wine takes a process's ANSI
# code page from its locale: every copy here runs with C.UTF-8, code page 1252 as on an English
# or German Windows, under the session's own server and desktop. The probe reads the texts
# back through the wide calls, as UTF-8: the tray tooltip, the about dialog, the
# already-running notice.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin

in_1252() { LANG=C.UTF-8 LC_ALL=C.UTF-8 "$@"; }
wide() { e2e_probe_read "$@" --wide; }
utf8_hex() { printf "$1" | od -An -tx1 | tr -d ' \n'; }   # printf escapes expanded
# The CPU line and the tooltip carry a percentage whatever the machine does.
readonly CpuLine='^CPU使用率：[0-9]{1,3}％$'
readonly CpuTooltip='^Tsutsuri \[CPU使用率：[0-9]{1,3}％\]$'
readonly AlreadyRunning='既に 『Tsutsuri』 が起動しています、\r\n『Tsutsuri』 は同時に一つだけ起動できます。'

# Free placement at a saved spot: where the window stands shows the file was read.
dir="$(e2e_new_dir)/添水 フォルダ"
mkdir -p "$dir"
e2e_ini_free_at "$dir" 400 300
e2e_require "window shows" in_1252 e2e_start "$dir"
runs_in_c_locale() { tr '\0' '\n' <"/proc/$E2E_PID/environ" | grep -qx 'LC_ALL=C.UTF-8'; }
e2e_require "the program runs in the C.UTF-8 locale" runs_in_c_locale
e2e_window_info
e2e_expect_eq "placed from the file in the Japanese folder" "400,300" "${WIN[left]},${WIN[top]}"

# ---- the tray tooltip ----------------------------------------------------------------------
# It shows the usage once a sample after the start-up tip differs from 0: the cores are kept
# busy meanwhile. The pointer rests on the program's icon until the tooltip shows that form.
load_pids=()
for _ in 1 2; do timeout 40 bash -c 'while :; do :; done' & load_pids+=($!); done
e2e_screenshot "$E2E_DIR/tray.png"
icon_x=""
for x in $(ui_tray_icons "$E2E_DIR/tray.png"); do
    ui_tray_icon_is_ours "$E2E_DIR/tray.png" "$x" && { icon_x=$((x + UI_TRAY_ICON_SIDE / 2)); break; }
done
e2e_require "the program's tray icon is found" [ -n "$icon_x" ]
tooltip=""
for ((i = 0; i < 15; i++)); do
    e2e_pointer_to 500 400
    e2e_pointer_to "$icon_x" $((UI_TASKBAR_TOP + 10))
    wide tooltip --timeout 3000 && tooltip=${PROBE[text]}
    [[ $tooltip =~ $CpuTooltip ]] && break
    sleep 1
done
kill "${load_pids[@]}" 2>/dev/null
wait "${load_pids[@]}" 2>/dev/null
e2e_pointer_to 500 400
e2e_log "tooltip read: $tooltip"
[[ $tooltip =~ $CpuTooltip ]] || e2e_fail "tooltip: '$tooltip'"

# ---- the about dialog: its template's texts and the lines set at run time -------------------
e2e_probe command 40015 >/dev/null
e2e_require "the dialog opens" wide about --timeout 15000
declare -A expected=(
    [caption]='Tsutsuri について'
    [ctrl_1000_text]='作者ホームページへ　：　https://example.org/'
    [ctrl_1001_text]='作者へE-mail　 ：　tsutsuri@example.org'
    [text1003]='Sound   ：  Direct'
)
for key in caption ctrl_1000_text ctrl_1001_text text1003 text1002; do
    e2e_log "about $key read: ${PROBE[$key]}"
done
for key in "${!expected[@]}"; do
    e2e_expect_eq "about $key" "$(utf8_hex "${expected[$key]}")" "${PROBE[${key}_hex]}"
done
[[ ${PROBE[text1002]} =~ $CpuLine ]] || e2e_fail "about CPU line: '${PROBE[text1002]}'"
about_gone() { wide about; [ "${PROBE[count]}" == 0 ]; }
e2e_probe close --class '#32770' --title-hex "$(e2e_hex 'Tsutsuri について')" >/dev/null
e2e_poll 5 about_gone || e2e_fail "the close box did not close the dialog"

# ---- a second copy: the already-running notice -------------------------------------------
in_1252 e2e_launch
second=$E2E_LAUNCHED_PID
e2e_require "the second copy shows a message box" wide msgbox --timeout 20000
e2e_log "message box read: ${PROBE[caption]} / ${PROBE[text]}"
e2e_expect_eq "message box caption" Tsutsuri "${PROBE[caption]}"
e2e_expect_eq "message box text" "$(utf8_hex "$AlreadyRunning")" "${PROBE[text_hex]}"
e2e_probe msgbox-ok >/dev/null
e2e_wait_exit "$second" && e2e_expect_eq "second copy's exit code" 0 "$E2E_EXIT_CODE"

# ---- the settings stay in the Japanese folder -------------------------------------------------
ini=$dir/tsutsurin.ini
e2e_probe command 40024 >/dev/null   # volume OFF: written at once
e2e_poll 10 ui_ini_is Runsts snd_vol 0 || e2e_fail "snd_vol after OFF in $ini"
e2e_probe command 40006 >/dev/null
e2e_wait_exit && e2e_expect_eq "exit code after the exit command" 0 "$E2E_EXIT_CODE"
for key in "Winpos Xpos 400" "Winpos Ypos 300" "Runsts posmode 1" "Runsts snd_vol 0" \
    "Kand cpu0 15" "Kand random5 48" "Debug sw 0"; do
    read -r section name value <<<"$key"
    e2e_expect_eq "saved $section/$name" "$value" "$(e2e_ini_get "$ini" "$section" "$name")"
done
e2e_log "settings file read: $(tr -d '\r' <"$ini" | tr '\n' ' ')"
e2e_finish
