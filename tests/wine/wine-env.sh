#!/usr/bin/env bash
# A private Wine session for tests: its own Xvfb display, HOME and prefix, a "shell" desktop
# of 1024x768 with a taskbar, and an ALSA device that writes everything played to a file.
# The prefix is 64-bit and serves 32-bit and 64-bit programs alike; in the session `wine` is
# Wine's 64-bit loader called by its path (tools/arches.sh loader), which hands 32-bit programs
# on to the 32-bit loader itself where the machine can run them.
#
#   wine-env.sh start DIR        start Xvfb, make the prefix; writes DIR/env
#   wine-env.sh stop DIR         end what start began: wineserver -k for this prefix, Xvfb by pid
#
# The session's wineserver is persistent: it lives from `start` to `stop`.
#   wine-env.sh exec DIR CMD...  run CMD with the session's environment (cwd unchanged)
#
# Nothing outside DIR is touched; processes are ended by pid or through this prefix's server.
#
# `start` takes three settings from the environment, for a test that needs another session:
#   TSUTSURI_SESSION_SCREEN    the Xvfb screen (default 1024x768)
#   TSUTSURI_SESSION_DESKTOP   "shell" (default) or "none": no virtual desktop, and XRandR off,
#                              so that Wine takes its monitors from Xinerama
#   TSUTSURI_SESSION_LIBS      folders put first on the session's LD_LIBRARY_PATH
set -euo pipefail
cmd=${1:?usage: wine-env.sh start|stop|exec DIR ...}
dir=${2:?usage: wine-env.sh start|stop|exec DIR ...}
shift 2

# Starts Xvfb on the first display number that is free, and makes sure it is ours: sessions
# started at the same moment may pick the same number, and the loser's Xvfb just exits.
# Prints the number; the pid goes to DIR/xvfb.pid.
start_xvfb() {
    local dir=$1 screen=$2 n pid
    for n in $(seq 90 250); do
        if [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; then continue; fi
        Xvfb :$n -screen 0 "${screen}x24" -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
        pid=$!
        for _ in $(seq 100); do
            kill -0 $pid 2>/dev/null || break
            if [ -e /tmp/.X11-unix/X$n ] && [ "$(tr -d ' ' </tmp/.X$n-lock 2>/dev/null)" = "$pid" ]
            then
                echo $pid >"$dir/xvfb.pid"
                echo $n
                return
            fi
            sleep 0.1
        done
        kill $pid 2>/dev/null || true
    done
    echo "wine-env: no X display could be started (see $dir/xvfb.log)" >&2
    return 1
}

case "$cmd" in
start)
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    "$0" stop "$dir"
    home=$dir/home
    # The last session's run folders and failure pictures stay until a new session starts.
    rm -rf "$dir"/run.* "$dir"/e2e.* "$dir"/*.failed.png
    # An old server may still be writing its registry as it ends: try again for a moment.
    for _ in $(seq 20); do rm -rf "$home" 2>/dev/null && break; sleep 0.2; done
    mkdir -p "$home"
    # The session's own `wine`, first on its PATH: the loader by its path.
    loader=$("$(dirname "$0")/../../tools/arches.sh" shim "$dir/bin")
    desktop=${TSUTSURI_SESSION_DESKTOP:-shell}
    n=$(start_xvfb "$dir" "${TSUTSURI_SESSION_SCREEN:-1024x768}")
    cat >"$dir/env" <<X
export HOME='$home'
export WINEPREFIX='$home/.wine'
export WINEDEBUG=-all
export WINEARCH=win64
export WINELOADER='$loader'
export PATH='$dir/bin':\$PATH
export LANG=ja_JP.UTF-8
export DISPLAY=:$n
export TSUTSURI_CAPTURE='$dir/capture.raw'
export TSUTSURI_SESSION_DESKTOP='$desktop'
X
    if [ -n "${TSUTSURI_SESSION_LIBS:-}" ]; then
        echo "export LD_LIBRARY_PATH='$TSUTSURI_SESSION_LIBS'\${LD_LIBRARY_PATH:+:\$LD_LIBRARY_PATH}" \
            >>"$dir/env"
    fi
    cat >"$home/.asoundrc" <<X
pcm.!default { type file slave.pcm "null" file "$dir/capture.raw" format "raw" }
ctl.!default { type hw card 0 }
X
    # shellcheck disable=SC1091
    . "$dir/env"
    # One server for the whole session: with the default 3 s persistence every test would pay
    # for a new server and new system processes, and waiting for it to end costs 5 s more.
    # `stop` (or the next `start` on this DIR) ends it. It must not hold the caller's output.
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    # No .NET or HTML engine: the installers would only be looked for, or offered in a dialog.
    # (`wineboot` itself is a script that runs /usr/bin/wine: the loader is called directly.)
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i </dev/null >"$dir/wineboot.log" 2>&1 || true
    if [ "$desktop" = none ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f </dev/null >/dev/null 2>&1
        # Without a virtual desktop the top-level windows are the X server's own, and Wine
        # waits up to 2 s for a window manager to take each one it hides off the screen. Xvfb
        # has none: the explorer's stand-alone tray window, hidden as each program removes
        # its notification icon, cost every copy 2 to 4 s at its end. Unmanaged, Wine places
        # and hides them itself, as a virtual desktop does.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    else
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f </dev/null >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f \
            </dev/null >/dev/null 2>&1
    fi
    # Wine has no "ＭＳ Ｐゴシック", the about dialog's font; the IPA proportional Gothic has
    # its metrics, so the dialog's texts fit their controls as they do on Windows.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f \
        </dev/null >/dev/null 2>&1
    echo "wine-env: display :$n, prefix $WINEPREFIX"
    ;;
stop)
    [ -d "$dir" ] || exit 0
    if [ -f "$dir/env" ]; then
        # shellcheck disable=SC1091
        . "$dir/env"
        wineserver -k 2>/dev/null || true
    fi
    if [ -f "$dir/xvfb.pid" ]; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
        rm -f "$dir/xvfb.pid"
    fi
    rm -f "$dir/env"
    ;;
exec)
    # shellcheck disable=SC1091
    . "$dir/env"
    exec "$@"
    ;;
*)
    echo "usage: wine-env.sh start|stop|exec DIR ..." >&2; exit 2 ;;
esac
