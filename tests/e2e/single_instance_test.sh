#!/usr/bin/env bash
# A second start while one copy runs: one message box with the Japanese notice, exit code 0
# once OK is pressed, and the running copy left as it was.
source "$(dirname "$0")/lib.sh"
e2e_begin

AlreadyRunning='既に 『Tsutsuri』 が起動しています、\r\n『Tsutsuri』 は同時に一つだけ起動できます。'

# Free placement: a perched first copy would rightly move beside the second copy's message
# box once that box is in front, and its position would then say nothing about the rule.
first_dir=$(e2e_new_dir)
printf '[Runsts]\nposmode=1\n' | e2e_ini_write "$first_dir/tsutsurin.ini"
e2e_require "first copy shows its window" e2e_start "$first_dir"
e2e_window_info
declare -A before=()
for k in hwnd pid left top width height visible style exstyle; do before[$k]=${WIN[$k]}; done

# The second copy gets its own folder: the mutex, not the folder, is what it must notice.
e2e_launch
second=$E2E_LAUNCHED_PID
e2e_require "the second copy shows a message box" e2e_probe_read msgbox --timeout 20000
e2e_expect_eq "message box caption" 5473757473757269 "${PROBE[caption_hex]}"
# Wine keeps the \r\n of the text in the static control, so the bytes compare exactly.
e2e_expect_eq "message box text (cp932 hex)" "$(e2e_hex "$AlreadyRunning")" "${PROBE[text_hex]}"
e2e_expect_ne "message box belongs to the second copy" "${before[pid]}" "${PROBE[pid]}"

# Exactly once: still a single box a moment later, and the second copy waits on it.
sleep 1
e2e_probe_read msgbox
e2e_expect_eq "message boxes shown" 1 "${PROBE[count]}"
e2e_running "$second" || e2e_fail "the second copy ended before OK was pressed"

e2e_probe_read msgbox-ok
e2e_expect_eq "OK pressed" 1 "${PROBE[posted]}"
if e2e_wait_exit "$second"; then
    e2e_expect_eq "second copy's exit code" 0 "$E2E_EXIT_CODE"
else
    e2e_fail "the second copy still runs after OK"
fi
e2e_probe_read msgbox
e2e_expect_eq "message boxes after OK" 0 "${PROBE[count]}"

# The first copy is untouched: same window, same place, still shown, still running.
e2e_running || e2e_fail "the first copy ended"
e2e_probe_read find
e2e_expect_eq "main windows" 1 "${PROBE[count]}"
e2e_window_info
for k in "${!before[@]}"; do e2e_expect_eq "first copy's $k" "${before[$k]}" "${WIN[$k]}"; done

e2e_require "first copy ends on WM_CLOSE" e2e_stop
e2e_expect_eq "first copy's exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
