#!/usr/bin/env bash
# Makes the README's picture of the running sozu:
#   tools/readme-picture.sh BUILD_DIR OUT.png
# BUILD_DIR is a cross build (build/win32, build/win64) or their parent (build), where the
# build whose programs run here is taken. The program runs in a
# private Wine session (as the end-to-end tests do), in free placement at the middle of the
# screen, with its meters and drops; once the start-up tip is over and the meters have
# settled, the window and a margin of desktop are cut out of a screenshot and enlarged
# without smoothing.
set -euo pipefail
build=${1:?usage: readme-picture.sh BUILD_DIR OUT.png}
out=${2:?usage: readme-picture.sh BUILD_DIR OUT.png}
[ -f "$build/tsutsuri.exe" ] || build=$("$(dirname "$0")/arches.sh" build "$build")
build=$(realpath "$build")
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$build/tsutsuri.exe
probe=$build/tests/e2e/probe.exe
for f in "$exe" "$probe"; do
    [ -f "$f" ] || { echo "readme-picture: no $f (make build first)" >&2; exit 2; }
done
out=$(realpath -m "$out")

readonly Left=488 Top=360 Margin=8 Scale=6
readonly RestWaitS=30 SettleS=4   # the start-up tip, then the meters' 25 rows

session=$(mktemp -d /tmp/readme-picture.XXXXXX)
prog_pid=""
finish() {
    if [ -n "$prog_pid" ] && kill -0 "$prog_pid" 2>/dev/null; then
        "$root/tests/wine/wine-env.sh" exec "$session" wine "$probe" close >/dev/null 2>&1 || true
        for _ in $(seq 50); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
    fi
    "$root/tests/wine/wine-env.sh" stop "$session" >/dev/null 2>&1 || true
    [ -n "${KEEP_SESSION:-}" ] || rm -rf "$session"
}
trap finish EXIT

"$root/tests/wine/wine-env.sh" start "$session" >/dev/null
# shellcheck disable=SC1091
. "$session/env"
run=$session/run
mkdir -p "$run"
# Free placement, no sound; a cumulative threshold so high that no tip comes by itself while
# the picture is taken.
printf '[Winpos]\r\nXpos=%d\r\nYpos=%d\r\n[Runsts]\r\nposmode=1\r\nsnd_vol=0\r\n[Kand]\r\ncpu2=10000\r\n' \
    "$Left" "$Top" >"$run/tsutsurin.ini"
xdotool mousemove 1000 10

(cd "$run" && exec wine "$exe") </dev/null >"$run/wine.log" 2>&1 &
prog_pid=$!
wine "$probe" find --visible --timeout 60000 >/dev/null 2>&1 || {
    echo "readme-picture: the window did not show" >&2
    exit 1
}
# The start-up tip lasts 18 heartbeats; rest is frame 0's shape again, which the tip only
# shows for one heartbeat before its rebound: wait for it to hold for a second.
rest=$(wine "$probe" info 2>/dev/null | tr -d '\r' | grep '^region_rects=')
held=0
for ((i = 0; i < RestWaitS * 10 && held < 10; i++)); do
    sleep 0.1
    now=$(wine "$probe" info 2>/dev/null | tr -d '\r' | grep '^region_rects=' || true)
    if [ "$now" = "$rest" ]; then held=$((held + 1)); else held=0; rest=$now; fi
done
sleep "$SettleS"

shot=$session/screen.png
import -window root "$shot"
side=$((48 + 2 * Margin))
convert "$shot" -crop "${side}x${side}+$((Left - Margin))+$((Top - Margin))" +repage \
    -scale "$((Scale * 100))%" "$out"
echo "readme-picture: $out"
