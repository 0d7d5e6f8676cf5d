#!/usr/bin/env bash
# The figures that need Wine: start-up time, idle CPU time and working set of tsutsuri.exe,
# each next to the same figure of two yardsticks measured the same way in the same private
# Wine session:
# - floor.exe (bench/floor.cpp), a minimal 48x48 window with a 128 ms timer;
# - floor_sound.exe (bench/floor_sound.cpp), that floor plus what the program must do at idle
#   in its default settings: a notification-area icon and the two water loops playing through
#   DirectSound.
#
#   bench/wine_figures.sh CROSS_BUILD HOST_BUILD [IDLE_SECONDS]
#
# CROSS_BUILD is the cross build to measure (build/win32 or build/win64: the one this machine
# runs, tools/arches.sh build); HOST_BUILD holds the sound device's pacer. IDLE_SECONDS
# (default 120, or $BENCH_SECONDS) is the length of the idle measurement; the working set is
# read 60 s after the start, or at the end of a shorter run. $BENCH_STARTUP_RUNS (default 5)
# start-ups of each program are timed; the median counts.
#
# The three programs run at once beside an ordinary window: tsutsuri in its default settings
# (perched on that window, cumulative source, sound on, meters and drops on), the floors at
# fixed places. CPU time is utime + stime of each program's own Linux process (found by its
# command name and a marker in its environment, so other Wine sessions on the machine never
# count); the work the wineserver does on their behalf is not included.
# The idle measurement is made twice: in the default settings, and again with the volume off
# (beside the plain floor), which shows the program's own cost apart from Wine's sound mixing.
# Beside the CPU time each idle run counts the wake-ups of the program's window thread and of
# the plain floor's (the thread's context switches, voluntary and not, from /proc: under Wine
# every call into the Wine server is one too). The calls a laptop pays for are counted in a run
# of their own: Wine's relay trace, limited to a few functions (RelayTraced below), counts
# timeBeginPeriod from the start to the exit, and SetWindowPos and Shell_NotifyIcon while idle.
# The trace costs the traced program's window thread CPU time of its own (about a tenth more
# of the floor's, measured in pairs of runs), and the floor is never traced: the CPU figures
# come from untraced runs.
set -euo pipefail
cross=${1:?usage: wine_figures.sh CROSS_BUILD HOST_BUILD [IDLE_SECONDS]}
host=${2:?usage: wine_figures.sh CROSS_BUILD HOST_BUILD [IDLE_SECONDS]}
cross=$(cd "$cross" && pwd)
host=$(cd "$host" && pwd)
idle_seconds=${3:-${BENCH_SECONDS:-120}}
startup_runs=${BENCH_STARTUP_RUNS:-5}
here=$(cd "$(dirname "$0")" && pwd)
wine_env=$here/../tests/wine/wine-env.sh
# shellcheck source=../tools/wine_process.sh
source "$here/../tools/wine_process.sh"
exe=$cross/tsutsuri.exe
floor=$cross/bench/floor.exe
floor_sound=$cross/bench/floor_sound.exe
first_paint=$cross/bench/first_paint.exe
probe=$cross/tests/e2e/probe.exe
readonly MemorySeconds=60 WarmUpSeconds=5 StartupPlaceX=300 StartupPlaceY=300
readonly FloorClass=TsutsuriFloor FloorSoundClass=TsutsuriFloorSound
# Where the floors stand while idle, apart from each other and from the perched program.
readonly FloorPlaceX=700 FloorPlaceY=300 FloorSoundPlaceX=700 FloorSoundPlaceY=400
clock_ticks=$(getconf CLK_TCK)

pace_reader=$host/bench/pace_reader
# What Wine's mixer sends the device: 48,000 frames a second of two 32-bit float samples.
readonly DeviceBytesPerSecond=384000
# The environment variable that picks a program's sound device (see .asoundrc below).
readonly DeviceVariable=TSUTSURI_BENCH_DEVICE

state=$(mktemp -d /tmp/tsutsuri-bench.XXXXXX)
declare -A pacer_pids=()
finish() {
    "$wine_env" stop "$state" >/dev/null 2>&1 || true
    local pid
    for pid in "${pacer_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$state"
}
trap finish EXIT
"$wine_env" start "$state" >/dev/null
# shellcheck disable=SC1091
. "$state/env"

# The session's sound devices write into pipes that are drained at a sound card's pace, so
# the mixer works in real time, as it does with a card (the capture file of the tests is
# taken several times faster). Every program that plays while another does gets a device of
# its own, with its own pacer: two mixers writing into one pipe would each be held to half
# the pace, and mix half the sound. The start-ups, one program at a time, share one.
# device NAME: makes the device NAME and starts its pacer; its pipe is $state/NAME.fifo.
device() {
    mkfifo "$state/$1.fifo"
    "$pace_reader" "$state/$1.fifo" "$DeviceBytesPerSecond" </dev/null &
    pacer_pids[$1]=$!
}
# device_bytes NAME: what the device's pacer has read so far.
device_bytes() { awk '/^rchar:/ { print $2 }' "/proc/${pacer_pids[$1]}/io"; }
device startup
device own
device floor_sound
# ALSA reads the device's pipe from the environment of the program that opens it, so a
# program started with $DeviceVariable set plays into that device, and any other into the
# start-up one.
cat >"$HOME/.asoundrc" <<X
pcm.!default {
    type file
    slave.pcm "null"
    file { @func getenv vars [ $DeviceVariable ] default "$state/startup.fifo" }
    format "raw"
}
ctl.!default { type hw card 0 }
X
# That device is ALSA's. Left to itself Wine tries PulseAudio first, which this machine does
# not run, and the failed attempt leaves the PulseAudio client libraries mapped in the
# program (about 2.4 MB of its working set); the plain floor never opens a sound device.
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f </dev/null >/dev/null 2>&1
# The relay trace of the measured program follows these functions alone (each call is a line
# on its standard error); no other program of the session is traced, since only the program
# gets WINEDEBUG=+relay.
readonly RelayTraced='winmm.timeBeginPeriod;winmm.timeEndPeriod;user32.SetWindowPos;shell32.Shell_NotifyIconA;shell32.Shell_NotifyIconW'
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d "$RelayTraced" /f \
    </dev/null >/dev/null 2>&1

log() { echo "bench: $*" >&2; }
probe() { wine_helper timeout 60 wine "$probe" "$@" </dev/null | tr -d '\r'; }

# launch TAG DEVICE DIR PROGRAM [ARGS...]: starts a program in DIR with a marker in its
# environment, playing into the sound device DEVICE (a name given to `device`). With
# TRACED=1 in the environment of the call, the program runs under the relay trace, whose lines
# go to DIR/relay.log.
launch() {
    local tag=$1 fifo=$state/$2.fifo dir=$3 debug=-all log
    shift 3
    log=$dir/wine.log
    if [ "${TRACED:-}" = 1 ]; then debug=+relay log=$dir/relay.log; fi
    (cd "$dir" && exec env "$(wine_process_marker "$tag")" "$DeviceVariable=$fifo" \
        WINEDEBUG="$debug" wine "$@") </dev/null >>"$log" 2>&1 &
}

wait_linux_pid() {
    local i
    for ((i = 0; i < 300; i++)); do
        wine_process_find "$1" "$2" && return 0
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

# still_running PID NAME DIR: stops the bench, with the program's own words, if it has ended.
still_running() {
    [ -d "/proc/$1" ] && return 0
    log "$2 ended early: $(cat "$3/wine.log" "$3/relay.log" 2>/dev/null | tr -d '\r' |
        grep -v ':Call \|:Ret ' | tail -3)"
    exit 1
}

# CPU time in clock ticks (10 ms), the dead threads' included: for a run in which threads end.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# CPU time in nanoseconds, of the process's living threads, from the scheduler's own count: at
# a few tenths of a per cent of a core a minute holds only 15 to 20 ticks, too few for a ratio.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { print n + 0 }'; }
# The context switches of the program's own thread (see main_ns), voluntary and not.
main_switches() { awk '/^(non)?voluntary_ctxt_switches:/ { n += $2 } END { print n }' \
    "/proc/$1/task/$1/status"; }
# relay_calls LOG FUNCTION [FROM [TO]]: the calls of FUNCTION (dll.name) the relay trace LOG
# holds between the byte offsets FROM and TO (default: the whole file).
relay_calls() {
    local from=${3:-0} to=${4:-}
    [ -n "$to" ] || to=$(stat -c %s "$1")
    tail -c +"$((from + 1))" "$1" | head -c "$((to - from))" | grep -c ":Call $2(" || true
}
trace_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
# The program's own thread (the one that runs the message loop, whose id is the process id).
main_ns() { awk '{ print $1 }' "/proc/$1/task/$1/schedstat"; }
anon_kb() { awk '/^Anonymous:/ { print $2 }' "/proc/$1/smaps_rollup"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
threads() { for t in /proc/"$1"/task/*; do printf '%s ' "$(cat "$t/comm")"; done; }

close_tsutsuri() { probe command 40006 >/dev/null || true; }
close_window() { probe close --class "$1" --title "$1" >/dev/null || true; }

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print ""; else print v[int((NR + 1) / 2)] }'; }

# A window that stays for the whole run: the perch target, and it keeps the desktop process
# alive between programs, so no start-up pays for a new desktop.
# The away run: this long here, then as long locked.
away_seconds=$((idle_seconds < 60 ? idle_seconds : 60))
keeper_seconds=$((3 * (idle_seconds + MemorySeconds) + 2 * away_seconds + startup_runs * 45 + 240))
wine_helper wine "$probe" testwin 200 150 400 300 keeper --seconds "$keeper_seconds" </dev/null \
    >/dev/null &
probe find --class TsutsuriProbeWindow --title keeper --visible --timeout 30000 >/dev/null ||
    { log "the Wine desktop did not come up"; exit 1; }

# ---- start-up: from process creation to the first change on screen --------------------
# The programs are placed at the same spot; first_paint.exe starts each from inside the
# session and watches that spot. The first start of each warms the caches and is not counted.
time_start() {   # time_start tsutsuri|floor|floor_sound -> prints milliseconds
    local which=$1 dir
    dir=$(mktemp -d "$state/startup.XXXXXX")
    local -a cmd
    case "$which" in
    tsutsuri)
        printf '[Runsts]\r\nposmode=1\r\n[Winpos]\r\nXpos=%d\r\nYpos=%d\r\n' \
            "$StartupPlaceX" "$StartupPlaceY" >"$dir/tsutsurin.ini"
        cmd=("$exe") ;;
    floor) cmd=("$floor" "$StartupPlaceX" "$StartupPlaceY") ;;
    floor_sound) cmd=("$floor_sound" "$StartupPlaceX" "$StartupPlaceY") ;;
    esac
    # Output to a file: the started program inherits it and would hold a pipe open.
    (cd "$dir" && wine_helper env "$(wine_process_marker startup)" timeout 60 wine "$first_paint" \
        "$StartupPlaceX" "$StartupPlaceY" 48 48 20000 "${cmd[@]}") </dev/null \
        >"$dir/first_paint.txt" 2>&1 || true
    local ms pid
    ms=$(tr -d '\r' <"$dir/first_paint.txt" | sed -n 's/^ms=//p')
    pid=$(wine_process_find startup "$(basename "${cmd[0]}")" || true)
    case "$which" in
    tsutsuri) close_tsutsuri ;;
    floor) close_window "$FloorClass" ;;
    floor_sound) close_window "$FloorSoundClass" ;;
    esac
    [ -z "$pid" ] || wait_gone "$pid" || log "$which did not end after its start-up run"
    echo "$ms"
}

for which in tsutsuri floor floor_sound; do time_start "$which" >/dev/null; done
startup_own=()
startup_floor=()
startup_floor_sound=()
for ((i = 0; i < startup_runs; i++)); do
    startup_floor+=("$(time_start floor)")
    startup_floor_sound+=("$(time_start floor_sound)")
    startup_own+=("$(time_start tsutsuri)")
done
own_ms=$(printf '%s\n' "${startup_own[@]}" | grep . | median)
floor_ms=$(printf '%s\n' "${startup_floor[@]}" | grep . | median)
floor_sound_ms=$(printf '%s\n' "${startup_floor_sound[@]}" | grep . | median)
log "start-up ms, tsutsuri: ${startup_own[*]}; floor: ${startup_floor[*]};" \
    "floor_sound: ${startup_floor_sound[*]}"

# ---- idle CPU time and working set ---------------------------------------------------
# readings OWN_PID FLOOR_PID FS_PID RELAY: the counters an idle run reads at its start and its
# end, on one line: the program's CPU time and its window thread's, the floor's, the two
# window threads' switches, the relay trace's size, the program's device bytes, and the
# floor_sound's CPU time and device bytes (0 0 without one).
readings() {
    local fs_cpu=0 fs_device=0
    if [ -n "$3" ]; then
        fs_cpu=$(cpu_ns "$3")
        fs_device=$(device_bytes floor_sound)
    fi
    echo "$(cpu_ns "$1") $(main_ns "$1") $(cpu_ns "$2") $(main_switches "$1")" \
        "$(main_switches "$2") $(trace_size "$4") $(device_bytes own) $fs_cpu $fs_device"
}
# measure_idle TAG INI WITH_FLOOR_SOUND TRACED: runs tsutsuri (with INI as its settings file,
# if not empty) beside a fresh plain floor, and beside a fresh floor_sound if WITH_FLOOR_SOUND
# is 1, for the idle time, and sets the idle_* figures of that run (the floor_sound's:
# idle_fs_*); with TRACED 1, under the relay trace, the calls' counts too.
measure_idle() {
    local tag=$1 ini=$2 with_fs=$3 traced=$4 own_dir floor_dir fs_dir own_pid floor_pid fs_pid=""
    local started measure_start memory_at own_t0 own_main0 floor_t0 fs_t0=0 own_t1 own_main1
    local floor_t1 fs_t1 own_dev0 fs_dev0 own_dev1 fs_dev1
    local own_sw0 own_sw1 floor_sw0 floor_sw1 trace0 trace1 relay
    probe activate --class TsutsuriProbeWindow --title keeper >/dev/null || true
    own_dir=$(mktemp -d "$state/idle-own.XXXXXX")
    floor_dir=$(mktemp -d "$state/idle-floor.XXXXXX")
    fs_dir=$(mktemp -d "$state/idle-floor-sound.XXXXXX")
    [ -z "$ini" ] || printf '%b' "$ini" >"$own_dir/tsutsurin.ini"
    relay=$own_dir/relay.log
    TRACED=$traced launch "$tag" own "$own_dir" "$exe"
    launch "$tag" startup "$floor_dir" "$floor" "$FloorPlaceX" "$FloorPlaceY"
    [ "$with_fs" != 1 ] ||
        launch "$tag" floor_sound "$fs_dir" "$floor_sound" "$FloorSoundPlaceX" "$FloorSoundPlaceY"
    own_pid=$(wait_linux_pid "$tag" tsutsuri.exe) || { log "tsutsuri.exe did not start"; exit 1; }
    floor_pid=$(wait_linux_pid "$tag" floor.exe) || { log "floor.exe did not start"; exit 1; }
    if [ "$with_fs" = 1 ]; then
        fs_pid=$(wait_linux_pid "$tag" floor_sound.exe) ||
            { log "floor_sound.exe did not start"; exit 1; }
    fi
    started=$SECONDS
    probe find --visible --timeout 30000 >/dev/null || log "no tsutsuri window"
    probe find --class "$FloorClass" --title "$FloorClass" --visible --timeout 30000 \
        >/dev/null || log "no floor window"
    [ "$with_fs" != 1 ] ||
        probe find --class "$FloorSoundClass" --title "$FloorSoundClass" --visible \
            --timeout 30000 >/dev/null || log "no floor_sound window"
    sleep "$WarmUpSeconds"
    still_running "$own_pid" tsutsuri.exe "$own_dir"
    still_running "$floor_pid" floor.exe "$floor_dir"
    [ -z "$fs_pid" ] || still_running "$fs_pid" floor_sound.exe "$fs_dir"
    read -r own_t0 own_main0 floor_t0 own_sw0 floor_sw0 trace0 own_dev0 fs_t0 fs_dev0 \
        < <(readings "$own_pid" "$floor_pid" "$fs_pid" "$relay")
    measure_start=$SECONDS
    idle_own_rss="" idle_floor_rss="" idle_fs_rss=0 idle_fs_anon=0
    memory_at=$MemorySeconds
    [ $((WarmUpSeconds + idle_seconds)) -ge $MemorySeconds ] ||
        memory_at=$((WarmUpSeconds + idle_seconds))
    while [ $((SECONDS - measure_start)) -lt "$idle_seconds" ] || [ -z "$idle_own_rss" ]; do
        if [ -z "$idle_own_rss" ] && [ $((SECONDS - started)) -ge "$memory_at" ]; then
            idle_own_rss=$(rss_kb "$own_pid")
            idle_floor_rss=$(rss_kb "$floor_pid")
            idle_own_anon=$(anon_kb "$own_pid")
            idle_floor_anon=$(anon_kb "$floor_pid")
            if [ -n "$fs_pid" ]; then
                idle_fs_rss=$(rss_kb "$fs_pid")
                idle_fs_anon=$(anon_kb "$fs_pid")
            fi
        fi
        [ -n "$idle_own_rss" ] && [ $((SECONDS - measure_start)) -ge "$idle_seconds" ] || sleep 1
    done
    still_running "$own_pid" tsutsuri.exe "$own_dir"
    still_running "$floor_pid" floor.exe "$floor_dir"
    [ -z "$fs_pid" ] || still_running "$fs_pid" floor_sound.exe "$fs_dir"
    read -r own_t1 own_main1 floor_t1 own_sw1 floor_sw1 trace1 own_dev1 fs_t1 fs_dev1 \
        < <(readings "$own_pid" "$floor_pid" "$fs_pid" "$relay")
    [ -z "$fs_pid" ] || idle_fs_threads=$(threads "$fs_pid")
    idle_elapsed=$((SECONDS - measure_start))
    idle_memory_at=$memory_at
    idle_threads=$(threads "$own_pid")
    idle_own_cpu=$((own_t1 - own_t0))
    idle_own_main=$((own_main1 - own_main0))
    idle_floor_cpu=$((floor_t1 - floor_t0))
    idle_fs_cpu=$((fs_t1 - fs_t0))
    idle_own_device=$(((own_dev1 - own_dev0) / idle_elapsed))
    idle_own_switches=$((own_sw1 - own_sw0))
    idle_floor_switches=$((floor_sw1 - floor_sw0))
    if [ "$traced" = 1 ]; then
        idle_set_window_pos=$(relay_calls "$relay" user32.SetWindowPos "$trace0" "$trace1")
        idle_notify_icon=$(($(relay_calls "$relay" shell32.Shell_NotifyIconA "$trace0" "$trace1") +
            $(relay_calls "$relay" shell32.Shell_NotifyIconW "$trace0" "$trace1")))
    fi
    idle_fs_device=$(((fs_dev1 - fs_dev0) / idle_elapsed))
    idle_sound="engine started"
    [ ! -f "$own_dir/supinfo.txt" ] ||
        idle_sound="engine failed: $(tr -d '\r\n' <"$own_dir/supinfo.txt")"
    close_tsutsuri
    close_window "$FloorClass"
    [ -z "$fs_pid" ] || close_window "$FloorSoundClass"
    wait_gone "$own_pid" || true
    wait_gone "$floor_pid" || true
    [ -z "$fs_pid" ] || wait_gone "$fs_pid" || true
    [ "$traced" = 1 ] || return 0
    # From the start to the exit.
    idle_begin_period=$(relay_calls "$relay" winmm.timeBeginPeriod)
    idle_end_period=$(relay_calls "$relay" winmm.timeEndPeriod)
}

# ---- the figures -----------------------------------------------------------------------
row() {   # row LABEL VALUE [NOTE]
    if [ -n "${3:-}" ]; then printf '%-34s %10s   %s\n' "$1" "$2" "$3"
    else printf '%-34s %10s\n' "$1" "$2"; fi
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
# per COUNT SECONDS [SCALE]: a count per second (times SCALE: 60 gives a minute).
per() { awk -v n="$1" -v s="$2" -v k="${3:-1}" 'BEGIN { printf "%.1f", n * k / s }'; }
# percent TICKS SECONDS: CPU time as a per cent of one core; percent_ns from nanoseconds.
percent() { awk -v t="$1" -v hz="$clock_ticks" -v s="$2" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }
percent_ns() { awk -v t="$1" -v s="$2" 'BEGIN { printf "%.3f", 100 * t / 1e9 / s }'; }

# The calls first, in the default settings under the trace; its CPU figures are not used.
measure_idle calls "" 0 1
calls_elapsed=$idle_elapsed calls_set_window_pos=$idle_set_window_pos
calls_notify_icon=$idle_notify_icon calls_begin_period=$idle_begin_period
calls_end_period=$idle_end_period
measure_idle idle "" 1 0
row "idle CPU, % of one core (${idle_elapsed} s)" \
    "$(percent_ns "$idle_own_cpu" "$idle_elapsed")" \
    "(floor $(percent_ns "$idle_floor_cpu" "$idle_elapsed"), floor_sound $(percent_ns \
    "$idle_fs_cpu" "$idle_elapsed"); $idle_sound)"
row "idle CPU time / floor's" "$(ratio "$idle_own_cpu" "$idle_floor_cpu")" "target <= 1.5"
row "idle CPU time / floor_sound's" "$(ratio "$idle_own_cpu" "$idle_fs_cpu")" \
    "(floor_sound's threads: $idle_fs_threads)"
# Under Wine the DirectSound mixer and the ALSA driver run as threads of the program's own
# process, so the split is shown.
row "  main thread only / floor's" "$(ratio "$idle_own_main" "$idle_floor_cpu")" \
    "target <= 1.5 (threads: $idle_threads)"
row "window thread wake-ups a second" "$(per "$idle_own_switches" "$idle_elapsed")" \
    "(floor $(per "$idle_floor_switches" "$idle_elapsed"); context switches)"
row "  wake-ups / floor's" "$(ratio "$idle_own_switches" "$idle_floor_switches")" \
    "target <= 2.0"
row "timeBeginPeriod calls, start to exit" "$calls_begin_period" \
    "target 0 (timeEndPeriod $calls_end_period; no stream plays; traced run)"
row "SetWindowPos calls a second" "$(per "$calls_set_window_pos" "$calls_elapsed")" \
    "target <= 1.2 (perched beside a still window; traced run)"
row "Shell_NotifyIcon calls a minute" "$(per "$calls_notify_icon" "$calls_elapsed" 60)" \
    "(traced run)"
# Both players are held to the same pace: a figure far from it means a device went wrong.
row "  sound device, bytes a second" "$idle_own_device" \
    "(floor_sound's $idle_fs_device; the pace $DeviceBytesPerSecond)"
row "start-up to first paint (ms)" "$own_ms" \
    "(floor $floor_ms, floor_sound $floor_sound_ms; median of $startup_runs)"
row "start-up / floor's" "$(ratio "$own_ms" "$floor_ms")" "target <= 1.3"
row "start-up / floor_sound's" "$(ratio "$own_ms" "$floor_sound_ms")"
row "working set after ${idle_memory_at} s (KB)" "$idle_own_rss" \
    "(floor $idle_floor_rss, floor_sound $idle_fs_rss)"
row "working set - floor's (KB)" "$((idle_own_rss - idle_floor_rss))" "target <= 2048"
row "  of it anonymous memory (KB)" "$((idle_own_anon - idle_floor_anon))" \
    "(the rest: mapped libraries)"
row "working set / floor's" "$(ratio "$idle_own_rss" "$idle_floor_rss")"
row "working set - floor_sound's (KB)" "$((idle_own_rss - idle_fs_rss))" \
    "(anonymous $((idle_own_anon - idle_fs_anon)))"
row "working set / floor_sound's" "$(ratio "$idle_own_rss" "$idle_fs_rss")"

# The same with the volume off: the engine is started and shut down again at start-up, so
# no sound is mixed; what is left over the plain floor is the program's own work.
measure_idle quiet '[RunSts]\r\nsnd_vol=0\r\n' 0 0
quiet_cpu=$idle_own_cpu quiet_floor_cpu=$idle_floor_cpu quiet_elapsed=$idle_elapsed
quiet_rss=$idle_own_rss quiet_floor_rss=$idle_floor_rss
echo "with the volume off (snd_vol=0):"
row "  idle CPU, % of one core" "$(percent_ns "$idle_own_cpu" "$idle_elapsed")" \
    "(floor $(percent_ns "$idle_floor_cpu" "$idle_elapsed"))"
row "  idle CPU time / floor's" "$(ratio "$idle_own_cpu" "$idle_floor_cpu")" "(threads: $idle_threads)"
row "  main thread only / floor's" "$(ratio "$idle_own_main" "$idle_floor_cpu")" "target <= 1.5"
row "  wake-ups / floor's" "$(ratio "$idle_own_switches" "$idle_floor_switches")" \
    "($(per "$idle_own_switches" "$idle_elapsed") a second, floor $(per \
    "$idle_floor_switches" "$idle_elapsed"))"
row "  working set - floor's (KB)" "$((idle_own_rss - idle_floor_rss))" \
    "(anonymous $((idle_own_anon - idle_floor_anon)))"

# The same quiet run on a display at 200 %: programs started from now on read 192 DPI, as a
# program that declares itself aware of the scale does on Windows, and the sozu is 96 pixels,
# its pictures enlarged. Set to 96 again afterwards. The plain floor, measured beside it as
# before, stays 48 pixels, and shows how much two runs differ by themselves.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f \
    </dev/null >/dev/null 2>&1
measure_idle quiet192 '[RunSts]\r\nsnd_vol=0\r\n' 0 0
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f \
    </dev/null >/dev/null 2>&1
echo "at 200 % (192 DPI), with the volume off:"
row "  idle CPU, % of one core" "$(percent_ns "$idle_own_cpu" "$idle_elapsed")" \
    "(floor $(percent_ns "$idle_floor_cpu" "$idle_elapsed"))"
row "  idle CPU / at 96 DPI" "$(ratio "$idle_own_cpu" "$quiet_cpu")" "target <= 1.25"
# The floor is the same program in both runs: how far its figure moved is how far the machine's
# own variation goes between two runs, and a difference of the program's within it is noise.
row "  the floor's, run to run" "$(ratio "$idle_floor_cpu" "$quiet_floor_cpu")" \
    "(the same floor at both DPIs: the runs' own variation)"
row "  working set - at 96 DPI (KB)" "$((idle_own_rss - quiet_rss))" \
    "(floor's difference $((idle_floor_rss - quiet_floor_rss)); target <= 1024)"

# ---- away: the default settings, here and then locked ------------------------------------
# The session-lock notice, as Windows posts it, puts the program away: no heartbeat, no timers,
# no sound device. Its CPU time then, against its own a moment before, at the same place.
readonly SessionChange=0x02B1 SessionLock=7 SessionUnlock=8 AwaySettleSeconds=2
probe activate --class TsutsuriProbeWindow --title keeper >/dev/null || true
away_dir=$(mktemp -d "$state/away.XXXXXX")
launch away own "$away_dir" "$exe"
away_pid=$(wait_linux_pid away tsutsuri.exe) || { log "tsutsuri.exe did not start"; exit 1; }
probe find --visible --timeout 30000 >/dev/null || log "no tsutsuri window"
sleep "$WarmUpSeconds"
here_t0=$(cpu_ticks "$away_pid")
sleep "$away_seconds"
here_t1=$(cpu_ticks "$away_pid")
probe post "$SessionChange" "$SessionLock" >/dev/null
sleep "$AwaySettleSeconds"
away_t0=$(cpu_ticks "$away_pid")
sleep "$away_seconds"
away_t1=$(cpu_ticks "$away_pid")
still_running "$away_pid" tsutsuri.exe "$away_dir"
probe post "$SessionChange" "$SessionUnlock" >/dev/null
close_tsutsuri
wait_gone "$away_pid" || true
away_note="locked: $(percent $((away_t1 - away_t0)) "$away_seconds") % of one core, here"
away_note+=" $(percent $((here_t1 - here_t0)) "$away_seconds") %; $away_seconds s each"
row "idle CPU away / here" "$(ratio $((away_t1 - away_t0)) $((here_t1 - here_t0)))" \
    "target <= 0.10 ($away_note)"
