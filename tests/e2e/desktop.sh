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
keeper=(--class TsutsuriProbeWindow --title desktop-keeper)
if "$session" exec "$state" wine "$probe" find "${keeper[@]}" </dev/null >/dev/null 2>&1; then
    exit 0
fi
# Its own session and no tie to the caller's output, so that CTest does not wait for it.
setsid "$session" exec "$state" wine "$probe" testwin 0 0 1 1 desktop-keeper --hidden \
    </dev/null >"$state/desktop-keeper.log" 2>&1 &
"$session" exec "$state" wine "$probe" find "${keeper[@]}" --timeout 60000 </dev/null >/dev/null
# Without a virtual desktop (a session with several monitors) there is no taskbar to wait for.
if [ "$("$session" exec "$state" printenv TSUTSURI_SESSION_DESKTOP)" = none ]; then
    exit 0
fi
# The taskbar comes with the desktop; the probe writes CRLF line ends.
for _ in $(seq 100); do
    if "$session" exec "$state" wine "$probe" tray </dev/null 2>/dev/null | tr -d '\r' |
        grep -q '^top=748$'; then
        exit 0
    fi
    sleep 0.3
done
echo "desktop.sh: no taskbar at the bottom of the desktop" >&2
exit 1
