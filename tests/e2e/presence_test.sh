#!/usr/bin/env bash
# Busy and away, as a user meets them. Started while a film plays full screen (a captionless
# window over the whole screen), the sozu is never seen nor heard, and shows at its place with
# its water once the film closes. Such a window, brought up later, hides the sozu, always on
# top as it is, and silences its water; when the window goes the sozu is back at its place with
# its water. A maximized window with a caption changes nothing, nor does the desktop in front.
# A locked session closes the sound device (the capture file stops growing) and stills the
# program, and a volume chosen then opens nothing; unlocked, the sound comes back. Wine's shell
# never reports busy or away itself, so the program's own full-screen check is what is seen,
# and the session notices are posted. The CPU thresholds stand at 100, so no tip sounds by
# itself: what is heard is the water.
# Once where both run: the full-screen check reads rectangles and styles, and the session
# notices carry plain numbers, the same in both builds; the power notices, whose record is
# handed over by pointer, are x64.win32.presence_test's.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
source "$(dirname "$0")/capture.sh"
source "$(dirname "$0")/pictures.sh"
ui_begin

readonly Left=300 Top=300
readonly SessionChange=0x02B1 SessionLock=7 SessionUnlock=8
readonly CpuSeconds=10 AwayShareLimit=10   # away under a tenth of the idle CPU time
readonly StartSeconds=${PRESENCE_START_SECONDS:-5}   # watched behind the film at start-up
readonly VolOff=40024 VolNormal=40023

dir=$(e2e_new_dir)
e2e_settings "$dir" "$Left" "$Top" Runsts:posmode=2 Runsts:snd_vol=1 Runsts:etc_water=1 \
    Kand:cpu{0..5}=100

shown_at_place() {
    e2e_window_info && [ "${WIN[visible]}" = 1 ] && [ "${WIN[left]},${WIN[top]}" = "$Left,$Top" ]
}
hidden() { e2e_window_info && [ "${WIN[visible]}" = 0 ]; }

# water_heard WHAT: the water sounds again after byte MARK, within 10 s.
water_heard() {
    local i
    for ((i = 0; i < 100; i++)); do
        capture_read "$MARK"
        ((${#CAP_START[@]} > 0)) && return 0
        sleep 0.1
    done
    capture_log "$1"
    e2e_fail "$1: no water heard"
}

# The program's CPU time (utime + stime, clock ticks) over CpuSeconds.
cpu_over() {
    local t0 t1
    t0=$(awk '{ print $14 + $15 }' "/proc/$E2E_PID/stat")
    sleep "$CpuSeconds"
    t1=$(awk '{ print $14 + $15 }' "/proc/$E2E_PID/stat")
    echo $((t1 - t0))
}

# Stopped: the file no longer grows over half a second.
capture_stopped() {
    local before
    before=$(capture_size)
    sleep 0.5
    [ "$(capture_size)" = "$before" ]
}

# 0. Started behind a film: its window exists but never shows, and the device it opens (kept
# for the film's end) plays nothing. Nobody else holds the device, so the capture starts empty.
ui_testwin 0 0 1024 768 film --popup
: >"$TSUTSURI_CAPTURE"
e2e_require "watch" e2e_watch_start $(((StartSeconds + 30) * 1000))
e2e_launch "$dir"
E2E_PID=$E2E_LAUNCHED_PID E2E_DIR=$E2E_LAUNCHED_DIR
e2e_require "window made" e2e_poll 30 grep -q '^s0_ms=' "$E2E_WATCH_OUT"
sleep "$StartSeconds"
e2e_watch_stop
shown=$(grep -c '_visible=1' "$E2E_WATCH_OUT")
e2e_log "behind the film for ${StartSeconds} s: ${WATCH[count]} states, $shown shown"
e2e_expect_eq "states shown behind the film" 0 "$shown"
MARK=0
capture_read "$MARK"
capture_log "behind the film"
e2e_expect_eq "sounds behind the film" 0 "${#CAP_START[@]}"
MARK=$(capture_size)
closed=$(date +%s%N)
e2e_probe close --class TsutsuriProbeWindow --title film >/dev/null
e2e_poll 10 shown_at_place ||
    e2e_fail "not shown after the film: visible ${WIN[visible]} at ${WIN[left]},${WIN[top]}"
shown_ms=$((($(date +%s%N) - closed) / 1000000))
water_heard "after the film at start-up"
e2e_log "after the film: shown within $shown_ms ms, water heard within" \
    "$((($(date +%s%N) - closed) / 1000000)) ms"

# 1. A film in full screen: hidden and silent; gone, the sozu is back with its water.
ui_testwin 0 0 1024 768 film --popup
e2e_poll 2 hidden || e2e_fail "the sozu still shows over a full-screen window"
capture_expect_silence "over a full-screen window"
e2e_probe close --class TsutsuriProbeWindow --title film >/dev/null
MARK=$(capture_size)
e2e_poll 2 shown_at_place ||
    e2e_fail "not back after the full-screen window: visible ${WIN[visible]} at ${WIN[left]},${WIN[top]}"
e2e_expect_eq "still on top" 1 "${WIN[topmost]}"
water_heard "after the full-screen window"

# 2. A maximized window with a caption is not full screen, however much it covers: here all
# of the screen and more, as one does over a taskbar that hides itself.
ui_testwin 0 0 800 600 document --maximized
e2e_probe move -8 -8 1040 784 --class TsutsuriProbeWindow --title document >/dev/null
e2e_ticks 20   # two looks and more
shown_at_place || e2e_fail "hidden by a maximized captioned window"
MARK=$(capture_size)
water_heard "beside a maximized window"
e2e_probe close --class TsutsuriProbeWindow --title document >/dev/null
# Nor is the empty desktop, which a click brings to the front: a captionless window of the whole
# screen too.
e2e_click 700 100
e2e_ticks 20
shown_at_place || e2e_fail "hidden after a click on the desktop"

# 3. Locked: within 2 s no device (the capture stops growing) and almost no CPU time.
idle=$(cpu_over)
e2e_probe post "$SessionChange" "$SessionLock" >/dev/null
e2e_poll 2 capture_stopped || e2e_fail "the capture still grows while locked"
# The volume off and then normal from the menu, while locked: chosen, but no device opens.
locked_size=$(capture_size)
e2e_probe command "$VolOff" >/dev/null
e2e_probe command "$VolNormal" >/dev/null
away=$(cpu_over)
e2e_expect_eq "capture while locked, after a volume" "$locked_size" "$(capture_size)"
e2e_expect_eq "volume chosen while locked" 2 "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts snd_vol)"
e2e_log "CPU ticks over ${CpuSeconds} s: here $idle, away $away"
((idle > 0 && away * AwayShareLimit < idle)) ||
    e2e_fail "away costs $away ticks against $idle here (want under a tenth)"
# A device opened afresh starts the file over: whatever it holds after the unlock is new.
MARK=$(capture_size)
e2e_probe post "$SessionChange" "$SessionUnlock" >/dev/null
capture_wait_growth "$MARK" 1 10 || e2e_fail "the capture does not grow after unlocking"
water_heard "after unlocking"
shown_at_place || e2e_fail "not at its place after unlocking"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
