#!/usr/bin/env bash
# A private Wine session for tests: its own Xvfb display, HOME and prefix, a "shell" desktop
# of 1024x768 with a taskbar, and an ALSA device that writes everything played to a file.
#
#   wine-env.sh start DIR        start Xvfb, make the prefix; writes DIR/env
#   wine-env.sh stop DIR         end what start began: wineserver -k for this prefix, Xvfb by pid
#   wine-env.sh exec DIR CMD...  run CMD with the session's environment (cwd unchanged)
#
# Nothing outside DIR is touched; processes are ended by pid or through this prefix's server.
set -euo pipefail
cmd=${1:?usage: wine-env.sh start|stop|exec DIR ...}
dir=${2:?usage: wine-env.sh start|stop|exec DIR ...}
shift 2

free_display() {
    local n
    for n in $(seq 90 250); do
        if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then echo $n; return; fi
    done
    echo "wine-env: no free X display number" >&2; return 1
}

case "$cmd" in
start)
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    [ -f "$dir/env" ] && "$0" stop "$dir" || true
    home=$dir/home
    rm -rf "$home"; mkdir -p "$home"
    n=$(free_display)
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    cat >"$dir/env" <<X
export HOME='$home'
export WINEPREFIX='$home/.wine'
export WINEDEBUG=-all
export WINEARCH=win64
export LANG=ja_JP.UTF-8
export DISPLAY=:$n
export TSUTSURI_CAPTURE='$dir/capture.raw'
X
    cat >"$home/.asoundrc" <<X
pcm.!default { type file slave.pcm "null" file "$dir/capture.raw" format "raw" }
ctl.!default { type hw card 0 }
X
    # shellcheck disable=SC1091
    . "$dir/env"
    wineboot -i >"$dir/wineboot.log" 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
    wineserver -w 2>/dev/null || true
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
