#!/usr/bin/env bash
# The settings file from outside: the position a run starts at, what a normal exit
# (WM_CLOSE) writes to a file the run created, what Escape leaves behind, values that survive
# a round trip, and what the end of a Windows session writes.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"
e2e_begin

readonly CentreX=$(((1024 - 48) / 2)) CentreY=$(((768 - 48) / 2))

# ini_layout FILE: "section:key=value" for every line, in file order, sections as written.
ini_layout() {
    awk '{ sub(/\r$/, "") }
         /^\[/ { s = $0; gsub(/[\[\]]/, "", s); print "[" s "]"; next }
         /=/ { print s ":" $0 }' "$1"
}

# Every key a save writes, with its value in a run that changed nothing (the position apart).
default_layout() {
    local i cpu=(15 30 45 60 75 90) random=(8 16 24 32 40 48)
    printf '%s\n' "[Runsts]" Runsts:win_obj=1 Runsts:frn_kan=2 Runsts:snd_vol=2 \
        Runsts:posmode=0 Runsts:etc_water=1 Runsts:etc_sizuk=1 Runsts:etc_yoin=0 \
        Runsts:mem_rel=1 Runsts:mem_sum=1 Runsts:mem_col=2 "[Winpos]" "Winpos:Xpos=$1" \
        "Winpos:Ypos=$2" "[Kand]"
    for i in 0 1 2 3 4 5; do echo "Kand:cpu$i=${cpu[$i]}"; done
    for i in 0 1 2 3 4 5; do echo "Kand:random$i=${random[$i]}"; done
    printf '%s\n' "[Debug]" Debug:sw=0
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
expected=$(default_layout "$x" "$y" | sort)
actual=$(ini_layout "$E2E_DIR/tsutsurin.ini" | sort)
[ "$expected" = "$actual" ] || e2e_fail "the saved file differs from the defaults:
$(diff <(echo "$expected") <(echo "$actual"))"
e2e_expect_eq "section order" "[Runsts] [Winpos] [Kand] [Debug]" \
    "$(grep -o '^\[[^]]*\]' "$E2E_DIR/tsutsurin.ini" | tr '\n' ' ' | sed 's/ $//')"

# 2. A saved position with always-on-top placement: topmost at exactly that spot from the
# first moment. Out-of-range and negative values come back from a WM_CLOSE exit: snd_vol
# 258 keeps its low byte (2); Xpos -20 stays -20.
dir=$(e2e_new_dir)
e2e_ini_write "$dir/tsutsurin.ini" <<'X'
[Winpos]
Xpos=-20
Ypos=150
[Runsts]
posmode=2
snd_vol=258
X
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
e2e_expect_eq "sections after Escape" "[Runsts]" "$(grep -o '^\[[^]]*\]' "$ini" | tr '\n' ' ' |
    sed 's/ $//')"
e2e_expect_eq "run-state keys after Escape" 10 "$(ini_layout "$ini" | grep -c '^Runsts:')"
for key in win_obj frn_kan snd_vol posmode etc_water etc_sizuk etc_yoin mem_rel mem_sum mem_col; do
    e2e_ini_get "$ini" Runsts "$key" >/dev/null || e2e_fail "no $key after Escape"
done

# 4. The end of a session (logoff, shutdown): Windows sends WM_QUERYENDSESSION, then
# WM_ENDSESSION, and ends the process without destroying the window. On a first run the file
# then holds everything an exit writes, and the program runs on until the system ends it. A
# WM_ENDSESSION whose session goes on (wParam 0) writes nothing; the command posted after it
# (the drops off, then on again) shows when it has been handled.
sections() { grep -o '^\[[^]]*\]' "$1" | tr '\n' ' ' | sed 's/ $//'; }
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
expected=$(default_layout "${WIN[left]}" "${WIN[top]}" | sort)
actual=$(ini_layout "$ini" | sort)
[ "$expected" = "$actual" ] || e2e_fail "the file at the end of the session differs:
$(diff <(echo "$expected") <(echo "$actual"))"
e2e_expect_eq "sections at the end of the session" "[Runsts] [Winpos] [Kand] [Debug]" \
    "$(sections "$ini")"
e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
