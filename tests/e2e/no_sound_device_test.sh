#!/usr/bin/env bash
# With no sound device at all (Wine's audio drivers switched off for this one process) the
# engine cannot start: the program carries on with the simple player, writes the engine's
# failure line to supinfo.txt (replacing an earlier run's), turns the water sound off, and
# its about dialog says "sndPlay"; after "OFF" from the menu it says "OFF".
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pictures.sh"
e2e_begin

AboutCaptionHex=$(e2e_hex 'Tsutsuri について')
readonly Left=300 Top=300
readonly FailureLine=$'^(Enumerate Driver|DirectSoundCreate) Failed\r$'

# sound_line: the about dialog's sound line, as hex; the dialog is closed again with OK.
sound_line() {
    e2e_probe command 40015 >/dev/null
    e2e_probe_read about --timeout 10000 || e2e_fail "no about dialog"
    SOUND_LINE=${PROBE[text1003_hex]}
    e2e_probe post command 1 --class '#32770' --title-hex "$AboutCaptionHex" >/dev/null
    e2e_probe wait-gone --class '#32770' --title-hex "$AboutCaptionHex" --timeout 5000 >/dev/null ||
        e2e_fail "the about dialog stays after OK"
}

# supinfo_lines: the lines of supinfo.txt that are an engine failure, counted.
supinfo_lines() { grep -cE "$FailureLine" "$E2E_DIR/supinfo.txt" 2>/dev/null; }

dir=$(e2e_new_dir)
printf 'left over from an earlier run\r\n' >"$dir/supinfo.txt"
e2e_settings "$dir" "$Left" "$Top" Runsts:posmode=1 Runsts:snd_vol=2 Runsts:etc_water=1
e2e_require "watch" e2e_watch_start 60000
# An empty override is "disabled": no driver means no device for DirectSound to find.
WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv,winecoreaudio.drv=" \
    e2e_require "window shows" e2e_start "$dir"

e2e_expect_eq "supinfo.txt: one failure line and nothing else" "1 1" \
    "$(supinfo_lines) $(wc -l <"$dir/supinfo.txt")"
e2e_log "supinfo.txt: $(head -1 "$dir/supinfo.txt" | tr -d '\r')"
e2e_expect_eq "water sound switched off" 0 "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts etc_water)"
e2e_expect_eq "volume kept" 2 "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts snd_vol)"
sound_line
e2e_expect_eq "sound line with the simple player" "$(e2e_hex 'Sound   ：  sndPlay')" "$SOUND_LINE"

# A tip asks the simple player for its sounds, which have nowhere to go: it plays through to
# rest all the same.
e2e_require "start-up tip ends at rest" e2e_watch_until ' 1 0$' 20
xdotool mousemove 10 10
e2e_click $((Left + 24)) $((Top + 20))
e2e_require "a click's tip plays through" e2e_watch_until ' 1 0 3( [0-9])* 1 0$' 20
e2e_watch_stop
e2e_require "still running after a tip" e2e_running

e2e_probe command 40024 >/dev/null
for ((i = 0; i < 50; i++)); do
    [ "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts snd_vol)" = 0 ] && break
    sleep 0.1
done
e2e_expect_eq "volume off written" 0 "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts snd_vol)"
# "OFF" tries the engine once more: a second failure line follows the first.
e2e_expect_eq "supinfo.txt after OFF" 2 "$(supinfo_lines)"
sound_line
e2e_expect_eq "sound line after OFF" "$(e2e_hex 'Sound   ：  OFF')" "$SOUND_LINE"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
