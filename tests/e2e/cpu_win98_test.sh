#!/usr/bin/env bash
# Told by Wine that it runs on Windows 98, the program samples the CPU through the 95/98/Me
# kernel statistic in the registry instead of the NT call: it starts without the NT monitor's
# message box, keeps running, and ends with 0 on WM_CLOSE. Wine has no such statistic, so the
# about dialog reads 0 per cent even while one of our own loops keeps a processor busy, where
# the NT sampler would read about 50.
source "$(dirname "$0")/lib.sh"
e2e_has_win9x_form || e2e_skip "the 64-bit program has no Windows 95/98/Me form"
e2e_begin

readonly AppKey='HKCU\Software\Wine\AppDefaults\tsutsuri.exe'
AboutCaptionHex=$(e2e_hex 'Tsutsuri について')

# The version applies to every tsutsuri.exe of the session: it is taken away as soon as this
# copy has started (Wine reads it once, at the process's start) and again on any way out.
win98_off() { wine reg delete "$AppKey" /v Version /f </dev/null >/dev/null 2>&1 || true; }
trap 'win98_off; e2e_cleanup' EXIT
wine reg add "$AppKey" /v Version /d win98 /f </dev/null >/dev/null 2>&1 ||
    e2e_require "the Windows version set for tsutsuri.exe" false

dir=$(e2e_new_dir)
printf '[Runsts]\nposmode=1\nsnd_vol=0\n' | e2e_ini_write "$dir/tsutsurin.ini"
sh -c 'while :; do :; done' &
busy_pid=$!
started=0
e2e_start "$dir" && started=1
win98_off
e2e_require "window shows" [ $started = 1 ]

e2e_probe_read msgbox
e2e_expect_eq "no message box" 0 "${PROBE[count]}"
e2e_probe_read command 40015
e2e_require "about dialog opens" e2e_probe_read about --timeout 10000
zero=$(e2e_hex 'CPU使用率：0％')
for i in 1 2 3 4; do
    sleep 1
    e2e_probe_read about --timeout 5000
    e2e_expect_eq "CPU line, second $i" "$zero" "${PROBE[text1002_hex]}" ||
        e2e_log "it reads '${PROBE[text1002]}'"
done
kill "$busy_pid"
wait "$busy_pid" 2>/dev/null
e2e_probe_read post close --class '#32770' --title-hex "$AboutCaptionHex"
e2e_require "window visible again" e2e_wait_window 5000
e2e_require "still running" e2e_running
e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
