#!/usr/bin/env bash
# Perching beside what the user sees, where the desktop window manager answers (Vista and
# later): the window rectangle takes in invisible resize borders (7 px on the left, right and
# bottom on Windows 10 and 11), and windows on another virtual desktop are cloaked while
# IsWindowVisible still says yes. A stand-in dwmapi.dll in the prefix's system folder, where the
# program takes the library from, answers as Windows 10 does (tests/e2e/dwmapi_standin.cpp): the
# sozu stands at the visible frame, and when its window closes it passes over a cloaked window to
# the next one shown below it. The prefix's own dwmapi.dll is put back afterwards.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"
ui_begin
: "${TSUTSURI_DWMAPI:?the stand-in dwmapi.dll}"

# The system folder of the program's architecture: a 32-bit program's in a 64-bit prefix is
# SysWOW64. Wine takes a library there over its built-in one only when told to.
system_dir=$WINEPREFIX/drive_c/windows/system32
if [ "${TSUTSURI_ARCH:-32}" = 32 ] && [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    system_dir=$WINEPREFIX/drive_c/windows/syswow64
fi
system_dwmapi=$system_dir/dwmapi.dll
saved_dwmapi=$(e2e_new_dir)/dwmapi.dll
[ -e "$system_dwmapi" ] && cp -p "$system_dwmapi" "$saved_dwmapi"
# Renamed into place, both ways: a copy still running keeps the file it mapped.
put_in_place() { cp "$1" "$2.new" && mv -f "$2.new" "$2"; }
put_back_dwmapi() {
    if [ -e "$saved_dwmapi" ]; then
        put_in_place "$saved_dwmapi" "$system_dwmapi"
    else
        rm -f "$system_dwmapi"
    fi
}
trap 'rc=$?; put_back_dwmapi; (exit $rc); ui_cleanup' EXIT
put_in_place "$TSUTSURI_DWMAPI" "$system_dwmapi"
export WINEDLLOVERRIDES="dwmapi=n,b"

UI_FRAME_BORDER=7   # the stand-in's invisible border

ui_testwin 200 150 400 300 A
e2e_require "window shows" e2e_start "$run"
ui_expect_perch "beside the visible frame of the window in front" A

# C, then a cloaked window above it, then B in front; the sozu, clicked, stays with B.
ui_testwin 560 120 300 400 C
ui_testwin 100 380 300 300 cloaked-D
ui_testwin 500 100 300 300 B
pid_b=$UI_TESTWIN_PID
ui_expect_perch "beside B" B
ui_click_sozu_to_front

# B ends: right below the sozu lies the cloaked window, then C.
ui_end_testwin "$pid_b"
e2e_probe_read wait-gone --class TsutsuriProbeWindow --title B --timeout 10000
ui_expect_perch "its window closed: the cloaked one passed over" C

e2e_require "ends on WM_CLOSE" e2e_stop
e2e_finish
