#!/usr/bin/env bash
# Readies the Wine session's desktop for the end-to-end tests: desktop.sh STATE_DIR PROBE.exe
#
# Wine ends the desktop process a moment after its last window goes, and a program that
# starts while it is ending can wait 10 s for a new one; the first window of a new prefix
# also waits seconds for the desktop to settle. A hidden window that lives as long as the
# session (wine-env.sh stop ends it with the server) keeps one desktop up for every test.
set -euo pipefail
state=$1
probe=$2
session=$(dirname "$0")/../wine/wine-env.sh
helpers=$(dirname "$0")/../../tools/wine_process.sh
# shellcheck source=../../tools/wine_process.sh
source "$helpers"
in_session() { wine_helper "$session" exec "$state" wine "$probe" "$@" </dev/null; }
keeper=(--class TsutsuriProbeWindow --title desktop-keeper)
if in_session find "${keeper[@]}" >/dev/null; then
    exit 0
fi
# Its own session and no tie to the caller's output, so that CTest does not wait for it.
# shellcheck disable=SC2016   # expanded by the shell started for it
setsid bash -c 'source "$1"; shift; wine_helper "$@"' keeper "$helpers" \
    "$session" exec "$state" wine "$probe" testwin 0 0 1 1 desktop-keeper --hidden \
    </dev/null >"$state/desktop-keeper.log" 2>&1 &
in_session find "${keeper[@]}" --timeout 60000 >/dev/null
# Without a virtual desktop (a session with several monitors) there is no taskbar to wait for.
if [ "$("$session" exec "$state" printenv TSUTSURI_SESSION_DESKTOP)" = none ]; then
    exit 0
fi
# The taskbar comes with the desktop; the probe writes CRLF line ends.
for _ in $(seq 100); do
    if in_session tray | tr -d '\r' | grep -q '^top=748$'; then
        exit 0
    fi
    sleep 0.3
done
echo "desktop.sh: no taskbar at the bottom of the desktop" >&2
exit 1
