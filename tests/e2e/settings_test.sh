#!/usr/bin/env bash
# The settings file from outside: the position a run starts at, what a normal exit
# (WM_CLOSE) writes to a file the run created, what Escape leaves behind, values that survive
# a round trip, and what the end of a Windows session writes.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"
e2e_begin

readonly CentreX=$(((1024 - 48) / 2)) CentreY=$(((768 - 48) / 2))

# sections FILE: the section headers in file order.
sections() { grep -o '^\[[^]]*\]' "$1" | tr '\n' ' ' | sed 's/ $//'; }

# Every key a save writes but the window's place, at its default.
readonly Defaults="win_obj=1 frn_kan=2 snd_vol=2 posmode=0 etc_water=1 etc_sizuk=1 etc_yoin=0 \
mem_rel=1 mem_sum=1 mem_col=2 cpu0=15 cpu1=30 cpu2=45 cpu3=60 cpu4=75 cpu5=90 random0=8 \
random1=16 random2=24 random3=32 random4=40 random5=48 sw=0"

# expect_whole_save WHAT FILE X Y: a save of a run that changed nothing: the defaults, the
# window's place at X,Y, the run-state section first (the first apply of the settings created
# the file), then Winpos, Kand and Debug.
expect_whole_save() {
    e2e_expect_eq "$1: keys" "$(tr ' ' '\n' <<<"$Defaults" | sort | tr '\n' ' ')" \
        "$(tr -d '\r' <"$2" | grep = | grep -v '^[XY]pos=' | sort | tr '\n' ' ')"
    e2e_expect_eq "$1: place" "$3,$4" \
        "$(e2e_ini_get "$2" Winpos Xpos),$(e2e_ini_get "$2" Winpos Ypos)"
    e2e_expect_eq "$1: sections" "[Runsts] [Winpos] [Kand] [Debug]" "$(sections "$2")"
}

xdotool mousemove 1000 10   # the pointer away from the windows: it writes positions

# 1. No settings file: the window is created centred (perched placement moves it on the
# first tick, so the watch catches where it was created). WM_CLOSE then saves every key, at
# its default, into the file the run created: the run-state section first (the first apply
# of the settings created the file), then Winpos, Kand and Debug.
e2e_require "watch" e2e_watch_start 3000
e2e_require "window shows (no file)" e2e_start
e2e_watch_end
e2e_expect_eq "created at the centre" "$CentreX,$CentreY" "${WATCH[s0_left]},${WATCH[s0_top]}"
e2e_require "window info" e2e_window_info
read -r x y <<<"${WIN[left]} ${WIN[top]}"
e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code after WM_CLOSE" 0 "$E2E_EXIT_CODE"
expect_whole_save "WM_CLOSE" "$E2E_DIR/tsutsurin.ini" "$x" "$y"

# 2. A saved position with always-on-top placement: topmost at exactly that spot from the
# first moment. Out-of-range and negative values come back from a WM_CLOSE exit: snd_vol
# 258 keeps its low byte (2); Xpos -20 stays -20.
dir=$(e2e_new_dir)
e2e_settings "$dir" -20 150 Runsts:posmode=2 Runsts:snd_vol=258
e2e_require "watch" e2e_watch_start 2000
e2e_require "window shows (saved position)" e2e_start "$dir"
e2e_watch_end
for ((i = 0; i < ${WATCH[count]}; i++)); do
    e2e_expect_eq "position seen $i" "-20,150" "${WATCH[s${i}_left]},${WATCH[s${i}_top]}"
done
e2e_require "window info" e2e_window_info
e2e_expect_eq "topmost" 1 "${WIN[topmost]}"
e2e_expect_eq "position" "-20,150" "${WIN[left]},${WIN[top]}"
e2e_require "ends on WM_CLOSE" e2e_stop
ini=$E2E_DIR/tsutsurin.ini
e2e_expect_eq "Xpos" -20 "$(e2e_ini_get "$ini" Winpos Xpos)"
e2e_expect_eq "Ypos" 150 "$(e2e_ini_get "$ini" Winpos Ypos)"
e2e_expect_eq "snd_vol" 2 "$(e2e_ini_get "$ini" Runsts snd_vol)"
e2e_expect_eq "posmode" 2 "$(e2e_ini_get "$ini" Runsts posmode)"

# 3. Escape ends the program at once and saves nothing: the file the run created holds the
# ten run-state keys of the first apply and neither Kand nor Debug.
e2e_require "window shows (Escape)" e2e_start
e2e_ticks 2
e2e_probe_read key 27
e2e_expect_eq "Escape posted" 1 "${PROBE[posted]}"
if e2e_wait_exit; then
    e2e_expect_eq "exit code after Escape" 0 "$E2E_EXIT_CODE"
else
    e2e_fail "still running after Escape"
fi
ini=$E2E_DIR/tsutsurin.ini
e2e_expect_eq "sections after Escape" "[Runsts]" "$(sections "$ini")"
e2e_expect_eq "run-state keys after Escape" 10 "$(grep -c = "$ini")"

# 4. The end of a session (logoff, shutdown): Windows sends WM_QUERYENDSESSION, then
# WM_ENDSESSION, and ends the process without destroying the window. On a first run the file
# then holds everything an exit writes, and the program runs on until the system ends it. A
# WM_ENDSESSION whose session goes on (wParam 0) writes nothing; the command posted after it
# (the drops off, then on again) shows when it has been handled.
e2e_require "window shows (end of session)" e2e_start
ini=$E2E_DIR/tsutsurin.ini
e2e_probe post 0x11 >/dev/null                   # WM_QUERYENDSESSION
e2e_probe post 0x16 0 >/dev/null                 # WM_ENDSESSION: the session goes on
e2e_probe command 40054 >/dev/null
e2e_poll 10 eval '[ "$(e2e_ini_get "$ini" Runsts etc_sizuk)" == 0 ]' || e2e_fail "etc_sizuk not 0"
e2e_expect_eq "sections after a session that goes on" "[Runsts]" "$(sections "$ini")"
e2e_probe command 40054 >/dev/null
e2e_probe post 0x11 >/dev/null
e2e_probe post 0x16 1 >/dev/null                 # WM_ENDSESSION: the session ends
e2e_poll 10 e2e_ini_get "$ini" Debug sw >/dev/null || e2e_fail "no save at the end of the session"
e2e_require "window still there" e2e_window_info
e2e_expect_eq "still shown" 1 "${WIN[visible]}"
e2e_running || e2e_fail "the program ended at WM_ENDSESSION"
expect_whole_save "end of the session" "$ini" "${WIN[left]}" "${WIN[top]}"
e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
