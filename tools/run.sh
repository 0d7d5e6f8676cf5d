#!/usr/bin/env bash
# Runs Tsutsuri under Wine: tools/run.sh BUILD_DIR RUNDIR (what `make run` does).
#
# - BUILD_DIR holds both cross builds (win32/, win64/). The 32-bit program runs where this
#   machine runs 32-bit programs, else the 64-bit one (tools/arches.sh); the choice is printed.
# - The Wine prefix is private, kept in BUILD_DIR (run-wine/), made on the first run (about
#   15 s) and reused afterwards; its desktop is the "shell" desktop of 1024x768 with a
#   taskbar and a notification area.
# - RUNDIR is the program's current directory: its settings file tsutsurin.ini lands there,
#   and the help page is copied there, where the menu's help looks for it.
# - With DISPLAY set, the desktop opens as a window there. Without one, a private Xvfb
#   screen is used and a screenshot of it is written to RUNDIR/screen.png every 2 s.
# - A notepad window opens first: the sozu perches beside the window in front.
# - Ctrl-C ends the program and everything this script started; so does the program's end.
#   The program is followed through its own Linux process (tools/wine_process.sh), which for
#   the 32-bit program is not the one launched where the machine runs both kinds.
# The exit status is the program's exit code (or 130 after Ctrl-C).
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR RUNDIR}
rundir=${2:?usage: run.sh BUILD_DIR RUNDIR}
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=wine_process.sh
source "$root/tools/wine_process.sh"
arches=$root/tools/arches.sh
if ! cross=$("$arches" build "$build" 2>/dev/null); then
    echo "run.sh: cannot run Tsutsuri here: $("$arches" why32); $("$arches" why64)" >&2
    exit 1
fi
if [ "$cross" = "$build/win32" ]; then
    echo "run.sh: this machine runs 32-bit programs: starting the 32-bit tsutsuri.exe"
else
    echo "run.sh: $("$arches" why32): starting the 64-bit tsutsuri.exe"
fi
exe=$cross/tsutsuri.exe
[ -f "$exe" ] || { echo "run.sh: no program at $exe (make build)" >&2; exit 2; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
mkdir -p "$rundir"
rundir=$(cd "$rundir" && pwd)
state=$(cd "$build" && pwd)/run-wine
mkdir -p "$state"
if [ -f "$root/help/tsutsurin.html" ]; then
    mkdir -p "$rundir/help"
    cp -f "$root/help/tsutsurin.html" "$rundir/help/"
fi
# `wine` here is the loader tools/arches.sh names, by its path.
loader=$("$arches" shim "$state/bin")
export PATH=$state/bin:$PATH WINELOADER=$loader WINEARCH=win64

readonly ScreenWidth=1024 ScreenHeight=768 ShotSeconds=2
xvfb_pid=""
shots_pid=""
prog_pid=""      # the process launched: it ends with the program's exit code
own_pid=""       # the program's own process

cleanup() {
    trap - INT TERM EXIT
    [ -n "$shots_pid" ] && kill "$shots_pid" 2>/dev/null
    # This prefix's processes only (the program, its desktop): its own server ends them.
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    [ -n "$prog_pid" ] && wait "$prog_pid" 2>/dev/null
    if [ -n "$own_pid" ]; then
        for _ in $(seq 50); do wine_process_alive "$own_pid" || break; sleep 0.1; done
        wine_process_alive "$own_pid" && kill -KILL "$own_pid" 2>/dev/null
    fi
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    return 0
}
interrupted() {
    echo
    echo "run.sh: stopping"
    cleanup
    exit 130
}
trap interrupted INT TERM
trap cleanup EXIT

# A private X screen on the first free display number that really becomes ours.
start_xvfb() {
    local n pid
    for n in $(seq 90 250); do
        if [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; then continue; fi
        Xvfb :$n -screen 0 ${ScreenWidth}x${ScreenHeight}x24 -nolisten tcp \
            </dev/null >"$state/xvfb.log" 2>&1 &
        pid=$!
        for _ in $(seq 100); do
            kill -0 $pid 2>/dev/null || break
            if [ -e /tmp/.X11-unix/X$n ] && [ "$(tr -d ' ' </tmp/.X$n-lock 2>/dev/null)" = "$pid" ]
            then
                xvfb_pid=$pid
                export DISPLAY=:$n
                return 0
            fi
            sleep 0.1
        done
        kill $pid 2>/dev/null || true
    done
    echo "run.sh: no X display could be started (see $state/xvfb.log)" >&2
    return 1
}

headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    start_xvfb
fi

export HOME=$state/home
export WINEPREFIX=$HOME/.wine
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8      # Wine's ANSI code page 932: the Japanese texts show right
mkdir -p "$HOME"
if [ $headless = 1 ]; then
    # No sound card on a headless machine: ALSA's null device still lets DirectSound start.
    echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
else
    rm -f "$HOME/.asoundrc"
fi

if [ ! -f "$state/prefix-ready" ]; then
    echo "run.sh: making the Wine prefix $WINEPREFIX (once)"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell \
        /d ${ScreenWidth}x${ScreenHeight} /f </dev/null >/dev/null 2>&1
    # Wine has no "ＭＳ Ｐゴシック", the about dialog's font; the IPA proportional Gothic has
    # its metrics, so the dialog's texts fit their controls as they do on Windows.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f \
        </dev/null >/dev/null 2>&1
    # Notepad opens at a known place, so the perched sozu has a window to stand beside.
    for kv in iWindowPosX:320 iWindowPosY:180 iWindowPosDX:520 iWindowPosDY:360; do
        wine reg add 'HKCU\Software\Microsoft\Notepad' /v "${kv%%:*}" /t REG_DWORD \
            /d "${kv#*:}" /f </dev/null >/dev/null 2>&1
    done
    touch "$state/prefix-ready"
fi

# The prefix is made without Wine's HTML engine, which leaves .html without a file type: the
# menu's help would find nothing to open it with. Wine's own "htmlfile" type hands a page to
# the desktop's browser.
wine reg add 'HKCR\.html' /ve /d htmlfile /f </dev/null >/dev/null 2>&1 || true

# In its default placement the sozu perches at the left edge of the window in front; an
# empty desktop would leave it nowhere to stand, so a notepad window comes first.
wine notepad </dev/null >/dev/null 2>&1 &
probe=$(dirname "$exe")/tests/e2e/probe.exe
if [ -f "$probe" ]; then
    wine_helper wine "$probe" find --class Notepad --title "" --visible --timeout 60000 \
        </dev/null >/dev/null || true
fi
sleep 1

tag=run.$$
(cd "$rundir" && exec env "$(wine_process_marker "$tag")" wine "$exe") </dev/null &
prog_pid=$!
own_pid=$(wine_process_wait "$tag" "$exe" "$prog_pid") || own_pid=""
echo "run.sh: Tsutsuri runs in $rundir as Linux process ${own_pid:-?}" \
    "(settings: $rundir/tsutsurin.ini); Ctrl-C ends it"
if [ $headless = 1 ]; then
    shot=$rundir/screen.png
    (
        while :; do
            sleep $ShotSeconds
            # Written aside and renamed, so a reader never sees half a picture.
            import -window root "$rundir/.screen.tmp.png" 2>/dev/null &&
                mv -f "$rundir/.screen.tmp.png" "$shot"
        done
    ) </dev/null >/dev/null 2>&1 &
    shots_pid=$!
    echo "run.sh: no DISPLAY: private screen $DISPLAY, a screenshot every ${ShotSeconds} s: $shot"
    echo "run.sh: to look inside: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX HOME=$HOME"
fi

set +e
wait "$prog_pid"
code=$?
set -e
prog_pid=""
echo "run.sh: Tsutsuri ended with exit code $code"
exit $code
