#!/usr/bin/env bash
# Makes the README's pictures of the running sozu:
#   tools/readme-picture.sh BUILD_DIR OUT.png    the sozu at rest
#   tools/readme-picture.sh BUILD_DIR OUT.gif    one whole tip, animated, a picture a heartbeat
# BUILD_DIR is a cross build (build/win32, build/win64) or their parent (build), where the
# build whose programs run here is taken. The program runs in a
# private Wine session (as the end-to-end tests do), in free placement at the middle of the
# screen, with its meters and drops; once the start-up tip is over and the meters have
# settled, the window and a margin of desktop are cut out of the screen and enlarged
# without smoothing.
#
# For the tip, the water follows the CPU usage of the moment with a threshold below 0, so the
# tube tips at every measurement: 7 heartbeats at rest, then 20 of tipping, over and over.
# tools/tip_frames.py takes one such cycle off the screen a heartbeat at a time; the GIF shows
# each picture as long as the program did and loops.
set -euo pipefail
usage="usage: readme-picture.sh BUILD_DIR OUT.png|OUT.gif"
build=${1:?$usage}
out=${2:?$usage}
case $out in
*.png) mode=still ;;
*.gif) mode=tip ;;
*) echo "$usage" >&2; exit 2 ;;
esac
[ -f "$build/tsutsuri.exe" ] || build=$("$(dirname "$0")/arches.sh" build "$build")
build=$(realpath "$build")
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=wine_process.sh
source "$root/tools/wine_process.sh"
exe=$build/tsutsuri.exe
probe=$build/tests/e2e/probe.exe
for f in "$exe" "$probe"; do
    [ -f "$f" ] || { echo "readme-picture: no $f (make build first)" >&2; exit 2; }
done
out=$(realpath -m "$out")

readonly Left=488 Top=360 Margin=8 Scale=6
readonly RestWaitS=30 SettleS=4   # the start-up tip, then the meters' 25 rows
readonly Side=$((48 + 2 * Margin))
readonly TipSettleS=6 TipRecordS=9   # two cycles of 27 heartbeats hold a whole one

session=$(mktemp -d /tmp/readme-picture.XXXXXX)
prog_pid=""
finish() {
    if [ -n "$prog_pid" ] && kill -0 "$prog_pid" 2>/dev/null; then
        wine_helper "$root/tests/wine/wine-env.sh" exec "$session" wine "$probe" close \
            </dev/null >/dev/null || true
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
# Free placement, no sound. For the still picture a cumulative threshold so high that no tip
# comes by itself while the picture is taken; for the tip the usage of the moment against a
# threshold below 0, which tips at every measurement.
if [ $mode = still ]; then water='cpu2=10000'; source=1; else water='cpu2=-1'; source=0; fi
printf '[Winpos]\r\nXpos=%d\r\nYpos=%d\r\n[Runsts]\r\nposmode=1\r\nsnd_vol=0\r\nwin_obj=%d\r\n[Kand]\r\n%s\r\n' \
    "$Left" "$Top" "$source" "$water" >"$run/tsutsurin.ini"
xdotool mousemove 1000 10

(cd "$run" && exec wine "$exe") </dev/null >"$run/wine.log" 2>&1 &
prog_pid=$!
wine_helper wine "$probe" find --visible --timeout 60000 </dev/null >/dev/null || {
    echo "readme-picture: the window did not show" >&2
    exit 1
}

if [ $mode = tip ]; then
    sleep "$TipSettleS"
    window=$(xdotool search --onlyvisible --name '^Tsutsuri$' | head -1)
    [ -n "$window" ] || { echo "readme-picture: no X window of the program" >&2; exit 1; }
    frames=$session/frames
    python3 "$root/tools/tip_frames.py" "$window" $((Left - Margin)) $((Top - Margin)) "$Side" \
        "$TipRecordS" "$frames"
    # A heartbeat is 12.8 hundredths of a second, a GIF counts whole ones: each picture ends
    # where the running total, rounded, ends, so the loop lasts as long as the program's cycle.
    args=()
    beats=0
    while read -r name n; do
        from=$(((beats * 128 + 5) / 10))
        beats=$((beats + n))
        args+=(-delay $(((beats * 128 + 5) / 10 - from)) "$frames/$name")
    done <"$frames/frames.txt"
    convert -loop 0 "${args[@]}" -scale "$((Scale * 100))%" -layers Optimize "$out"
    echo "readme-picture: $out ($(identify "$out" | wc -l) pictures, $(stat -c %s "$out") bytes)"
    exit 0
fi

# The start-up tip lasts 18 heartbeats; rest is frame 0's shape again, which the tip only
# shows for one heartbeat before its rebound: wait for it to hold for a second.
rest=$(wine_helper wine "$probe" info </dev/null | tr -d '\r' | grep '^region_rects=')
held=0
for ((i = 0; i < RestWaitS * 10 && held < 10; i++)); do
    sleep 0.1
    now=$(wine_helper wine "$probe" info </dev/null | tr -d '\r' | grep '^region_rects=' || true)
    if [ "$now" = "$rest" ]; then held=$((held + 1)); else held=0; rest=$now; fi
done
sleep "$SettleS"

shot=$session/screen.png
import -window root "$shot"
convert "$shot" -crop "${Side}x${Side}+$((Left - Margin))+$((Top - Margin))" +repage \
    -scale "$((Scale * 100))%" "$out"
echo "readme-picture: $out"
