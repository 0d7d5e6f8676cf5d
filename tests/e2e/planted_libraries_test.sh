#!/usr/bin/env bash
# A stranger's dsound.dll, dwmapi.dll and winmm.dll beside the program, as in a Downloads folder,
# with Wine told to prefer a library found there as Windows does for these three: none of them
# is loaded (each would leave a marker file), the sound engine starts on the system's own
# DirectSound (no supinfo.txt), perching still asks the system's window manager, and the program
# ends cleanly. Beforehand, the probe started from a folder holding the same three and asking for
# each by bare name shows that the stand-ins are taken where a program searches for them.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin
: "${TSUTSURI_PLANTED:?the folder of the planted stand-ins}"
readonly Planted=(dsound.dll dwmapi.dll winmm.dll)
export WINEDLLOVERRIDES="dsound,dwmapi,winmm=n,b"

# markers DIR: the stand-ins that left a marker in DIR, by name, space-separated.
markers() {
    local found=() m
    for m in "$1"/*.loaded; do [ -e "$m" ] && found+=("$(basename "$m" .loaded)"); done
    echo "${found[*]}"
}

# The stand-ins work: a program that searches by name takes them, and each leaves its marker.
control=$(e2e_new_dir)
cp "$TSUTSURI_PROBE" "$control/probe.exe"
for library in "${Planted[@]}"; do
    cp "$TSUTSURI_PLANTED/$library" "$control/"
    (cd "$control" && wine_helper timeout 60 wine "$control/probe.exe" load "$library" \
        </dev/null >/dev/null)
done
e2e_log "markers after loading by bare name: $(markers "$control")"
e2e_require "the stand-ins leave markers when loaded by name" \
    e2e_expect_eq "control markers" "${Planted[*]}" "$(markers "$control")"

# The program in a folder of its own with the stand-ins beside it, perched beside a window.
run=$(e2e_new_dir)
cp "$TSUTSURI_EXE" "$run/tsutsuri.exe"
for library in "${Planted[@]}"; do cp "$TSUTSURI_PLANTED/$library" "$run/"; done
TSUTSURI_EXE=$run/tsutsuri.exe
UI_FRAME_BORDER=0   # the system's own dwmapi reports no invisible borders under Wine

ui_testwin 200 150 400 300 A
e2e_require "window shows" e2e_start "$run"
ui_expect_perch "perched beside the window in front" A
e2e_ticks 8   # more perching ticks, each asking the window manager
e2e_log "markers beside the program: '$(markers "$run")'"
e2e_expect_eq "no stand-in loaded" "" "$(markers "$run")"
e2e_expect_eq "the sound engine started (no supinfo.txt)" no \
    "$([ -e "$run/supinfo.txt" ] && echo yes || echo no)"

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_expect_eq "no stand-in loaded by the end" "" "$(markers "$run")"
e2e_finish
