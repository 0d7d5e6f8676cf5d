#!/usr/bin/env bash
# The figures that need Wine: start-up time, idle CPU time and working set of tsutsuri.exe,
# each next to the same figure of floor.exe (bench/floor.cpp), a minimal 48x48 window with a
# 128 ms timer, measured the same way in the same private Wine session.
#
#   bench/wine_figures.sh BUILD_DIR [IDLE_SECONDS]
#
# IDLE_SECONDS (default 120, or $BENCH_SECONDS) is the length of the idle measurement; the
# working set is read 60 s after the start, or at the end of a shorter run. $BENCH_STARTUP_RUNS
# (default 5) start-ups of each program are timed; the median counts.
#
# Both programs run at once beside an ordinary window: tsutsuri in its default settings
# (perched on that window, cumulative source, sound on, meters and drops on), the floor
# program at a fixed place. CPU time is utime + stime of each program's own Linux process
# (found by its command name and a marker in its environment, so other Wine sessions on the
# machine never count); the work the wineserver does on their behalf is not included.
# The idle measurement is made twice: in the default settings, and again with the volume off,
# which shows the program's own cost apart from Wine's sound mixing.
set -euo pipefail
build=${1:?usage: wine_figures.sh BUILD_DIR [IDLE_SECONDS]}
idle_seconds=${2:-${BENCH_SECONDS:-120}}
startup_runs=${BENCH_STARTUP_RUNS:-5}
here=$(cd "$(dirname "$0")" && pwd)
wine_env=$here/../tests/wine/wine-env.sh
exe=$build/win32/tsutsuri.exe
floor=$build/win32/bench/floor.exe
first_paint=$build/win32/bench/first_paint.exe
probe=$build/win32/tests/e2e/probe.exe
readonly MemorySeconds=60 WarmUpSeconds=5 StartupPlaceX=300 StartupPlaceY=300
readonly FloorClass=TsutsuriFloor Tag=TSUTSURI_BENCH_TAG
clock_ticks=$(getconf CLK_TCK)

pace_reader=$build/host/bench/pace_reader
# What Wine's mixer sends the device: 48,000 frames a second of two 32-bit float samples.
readonly DeviceBytesPerSecond=384000

state=$(mktemp -d /tmp/tsutsuri-bench.XXXXXX)
pacer_pid=""
finish() {
    "$wine_env" stop "$state" >/dev/null 2>&1 || true
    [ -z "$pacer_pid" ] || kill "$pacer_pid" 2>/dev/null || true
    rm -rf "$state"
}
trap finish EXIT
"$wine_env" start "$state" >/dev/null
# shellcheck disable=SC1091
. "$state/env"
# The session's sound device writes into a pipe that is drained at a sound card's pace, so
# the mixer works in real time, as it does with a card (the capture file of the tests is
# taken several times faster).
mkfifo "$state/device.fifo"
"$pace_reader" "$state/device.fifo" "$DeviceBytesPerSecond" </dev/null &
pacer_pid=$!
cat >"$HOME/.asoundrc" <<X
pcm.!default { type file slave.pcm "null" file "$state/device.fifo" format "raw" }
ctl.!default { type hw card 0 }
X
# That device is ALSA's. Left to itself Wine tries PulseAudio first, which this machine does
# not run, and the failed attempt leaves the PulseAudio client libraries mapped in the
# program (about 2.4 MB of its working set); the floor never opens a sound device.
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f </dev/null >/dev/null 2>&1

log() { echo "bench: $*" >&2; }
probe() { timeout 60 wine "$probe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# launch TAG DIR PROGRAM [ARGS...]: starts a program in DIR with a marker in its environment.
launch() {
    local tag=$1 dir=$2
    shift 2
    (cd "$dir" && exec env "$Tag=$tag" wine "$@") </dev/null >>"$dir/wine.log" 2>&1 &
}

# linux_pid TAG NAME: the Linux process of the Windows program NAME started with TAG.
linux_pid() {
    local f p
    for f in /proc/[0-9]*/environ; do
        p=${f#/proc/}
        p=${p%/environ}
        [ "$(cat "/proc/$p/comm" 2>/dev/null)" = "$2" ] || continue
        if tr '\0' '\n' <"$f" 2>/dev/null | grep -qx "$Tag=$1"; then
            echo "$p"
            return 0
        fi
    done
    return 1
}

wait_linux_pid() {
    local i
    for ((i = 0; i < 300; i++)); do
        linux_pid "$1" "$2" && return 0
        sleep 0.1
    done
    return 1
}

wait_gone() {
    local i
    for ((i = 0; i < 300; i++)); do
        [ -d "/proc/$1" ] || return 0
        sleep 0.1
    done
    return 1
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# The program's own thread (the one that runs the message loop, whose id is the process id).
main_ticks() { awk '{ print $14 + $15 }' "/proc/$1/task/$1/stat"; }
anon_kb() { awk '/^Anonymous:/ { print $2 }' "/proc/$1/smaps_rollup"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

close_tsutsuri() { probe command 40006 >/dev/null || true; }
close_floor() { probe close --class "$FloorClass" --title "$FloorClass" >/dev/null || true; }

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print ""; else print v[int((NR + 1) / 2)] }'; }

# A window that stays for the whole run: the perch target, and it keeps the desktop process
# alive between programs, so no start-up pays for a new desktop.
keeper_seconds=$((2 * (idle_seconds + MemorySeconds) + startup_runs * 20 + 120))
wine "$probe" testwin 200 150 400 300 keeper --seconds "$keeper_seconds" </dev/null >/dev/null 2>&1 &
probe find --class TsutsuriProbeWindow --title keeper --visible --timeout 30000 >/dev/null ||
    { log "the Wine desktop did not come up"; exit 1; }

# ---- start-up: from process creation to the first change on screen --------------------
# Both programs are placed at the same spot; first_paint.exe starts each from inside the
# session and watches that spot. The first start of each warms the caches and is not counted.
time_start() {   # time_start WHICH -> prints milliseconds
    local which=$1 dir
    dir=$(mktemp -d "$state/startup.XXXXXX")
    local -a cmd
    if [ "$which" = tsutsuri ]; then
        printf '[Runsts]\r\nposmode=1\r\n[Winpos]\r\nXpos=%d\r\nYpos=%d\r\n' \
            "$StartupPlaceX" "$StartupPlaceY" >"$dir/tsutsurin.ini"
        cmd=("$exe")
    else
        cmd=("$floor" "$StartupPlaceX" "$StartupPlaceY")
    fi
    # Output to a file: the started program inherits it and would hold a pipe open.
    (cd "$dir" && exec env "$Tag=startup" timeout 60 wine "$first_paint" "$StartupPlaceX" \
        "$StartupPlaceY" 48 48 20000 "${cmd[@]}") </dev/null >"$dir/first_paint.txt" 2>&1 || true
    local ms pid
    ms=$(tr -d '\r' <"$dir/first_paint.txt" | sed -n 's/^ms=//p')
    pid=$(linux_pid startup "$(basename "${cmd[0]}")" || true)
    if [ "$which" = tsutsuri ]; then close_tsutsuri; else close_floor; fi
    [ -z "$pid" ] || wait_gone "$pid" || log "$which did not end after its start-up run"
    echo "$ms"
}

time_start tsutsuri >/dev/null
time_start floor >/dev/null
startup_own=()
startup_floor=()
for ((i = 0; i < startup_runs; i++)); do
    startup_floor+=("$(time_start floor)")
    startup_own+=("$(time_start tsutsuri)")
done
own_ms=$(printf '%s\n' "${startup_own[@]}" | grep . | median)
floor_ms=$(printf '%s\n' "${startup_floor[@]}" | grep . | median)
log "start-up ms, tsutsuri: ${startup_own[*]}; floor: ${startup_floor[*]}"

# ---- idle CPU time and working set ---------------------------------------------------
# measure_idle TAG [INI]: runs tsutsuri (with INI as its settings file, if given) beside a
# fresh floor program for the idle time and sets the idle_* figures of that run.
measure_idle() {
    local tag=$1 ini=${2:-} own_dir floor_dir own_pid floor_pid started measure_start
    local own_t0 own_main0 floor_t0 own_t1 own_main1 floor_t1 memory_at
    probe activate --class TsutsuriProbeWindow --title keeper >/dev/null || true
    own_dir=$(mktemp -d "$state/idle-own.XXXXXX")
    floor_dir=$(mktemp -d "$state/idle-floor.XXXXXX")
    [ -z "$ini" ] || printf '%b' "$ini" >"$own_dir/tsutsurin.ini"
    launch "$tag" "$own_dir" "$exe"
    launch "$tag" "$floor_dir" "$floor" 700 300
    own_pid=$(wait_linux_pid "$tag" tsutsuri.exe) || { log "tsutsuri.exe did not start"; exit 1; }
    floor_pid=$(wait_linux_pid "$tag" floor.exe) || { log "floor.exe did not start"; exit 1; }
    started=$SECONDS
    probe find --visible --timeout 30000 >/dev/null || log "no tsutsuri window"
    probe find --class "$FloorClass" --title "$FloorClass" --visible --timeout 30000 \
        >/dev/null || log "no floor window"
    sleep "$WarmUpSeconds"
    own_t0=$(cpu_ticks "$own_pid")
    own_main0=$(main_ticks "$own_pid")
    floor_t0=$(cpu_ticks "$floor_pid")
    measure_start=$SECONDS
    idle_own_rss="" idle_floor_rss=""
    memory_at=$MemorySeconds
    [ $((WarmUpSeconds + idle_seconds)) -ge $MemorySeconds ] ||
        memory_at=$((WarmUpSeconds + idle_seconds))
    while [ $((SECONDS - measure_start)) -lt "$idle_seconds" ] || [ -z "$idle_own_rss" ]; do
        if [ -z "$idle_own_rss" ] && [ $((SECONDS - started)) -ge "$memory_at" ]; then
            idle_own_rss=$(rss_kb "$own_pid")
            idle_floor_rss=$(rss_kb "$floor_pid")
            idle_own_anon=$(anon_kb "$own_pid")
            idle_floor_anon=$(anon_kb "$floor_pid")
        fi
        [ -n "$idle_own_rss" ] && [ $((SECONDS - measure_start)) -ge "$idle_seconds" ] || sleep 1
    done
    own_t1=$(cpu_ticks "$own_pid")
    own_main1=$(main_ticks "$own_pid")
    floor_t1=$(cpu_ticks "$floor_pid")
    idle_elapsed=$((SECONDS - measure_start))
    idle_memory_at=$memory_at
    idle_threads=$(for t in /proc/"$own_pid"/task/*; do printf '%s ' "$(cat "$t/comm")"; done)
    idle_own_cpu=$((own_t1 - own_t0))
    idle_own_main=$((own_main1 - own_main0))
    idle_floor_cpu=$((floor_t1 - floor_t0))
    idle_sound="engine started"
    [ ! -f "$own_dir/supinfo.txt" ] ||
        idle_sound="engine failed: $(tr -d '\r\n' <"$own_dir/supinfo.txt")"
    close_tsutsuri
    close_floor
    wait_gone "$own_pid" || true
    wait_gone "$floor_pid" || true
}

# ---- the figures -----------------------------------------------------------------------
row() { printf '%-34s %10s   target %s\n' "$1" "$2" "$3"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
percent() { awk -v t="$1" -v hz="$clock_ticks" -v s="$2" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }

measure_idle idle
row "idle CPU, % of one core (${idle_elapsed} s)" "$(percent "$idle_own_cpu" "$idle_elapsed")" \
    "(floor $(percent "$idle_floor_cpu" "$idle_elapsed"); $idle_sound)"
row "idle CPU time / floor's" "$(ratio "$idle_own_cpu" "$idle_floor_cpu")" "<= 1.5"
# Under Wine the DirectSound mixer and the ALSA driver run as threads of the program's own
# process, so the split is shown.
row "  main thread only / floor's" "$(ratio "$idle_own_main" "$idle_floor_cpu")" \
    "(threads: $idle_threads)"
row "start-up to first paint (ms)" "$own_ms" "(floor $floor_ms; median of $startup_runs)"
row "start-up / floor's" "$(ratio "$own_ms" "$floor_ms")" "<= 1.3"
row "working set after ${idle_memory_at} s (KB)" "$idle_own_rss" "(floor $idle_floor_rss)"
row "working set - floor's (KB)" "$((idle_own_rss - idle_floor_rss))" "<= 2048"
row "  of it anonymous memory (KB)" "$((idle_own_anon - idle_floor_anon))" \
    "(the rest: mapped libraries)"

# The same with the volume off: the engine is started and shut down again at start-up, so
# no sound is mixed; what is left over the floor is the program's own work.
measure_idle quiet '[RunSts]\r\nsnd_vol=0\r\n'
echo "with the volume off (snd_vol=0):"
row "  idle CPU, % of one core" "$(percent "$idle_own_cpu" "$idle_elapsed")" \
    "(floor $(percent "$idle_floor_cpu" "$idle_elapsed"))"
row "  idle CPU time / floor's" "$(ratio "$idle_own_cpu" "$idle_floor_cpu")" "(threads: $idle_threads)"
row "  working set - floor's (KB)" "$((idle_own_rss - idle_floor_rss))" \
    "(anonymous $((idle_own_anon - idle_floor_anon)))"
