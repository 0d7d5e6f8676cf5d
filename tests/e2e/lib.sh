# shellcheck shell=bash
# Helpers for end-to-end tests: the real tsutsuri.exe on the Wine session's desktop, looked at
# from the inside with probe.exe and from the outside through the X screen.
#
# A test is a bash script that sources this file, then calls e2e_begin, and ends with
# e2e_finish. It needs (CTest sets them):
#   TSUTSURI_WINE_STATE  the session folder made by tests/wine/wine-env.sh start
#   TSUTSURI_EXE         the program, tsutsuri.exe
#   TSUTSURI_PROBE       probe.exe
#   TSUTSURI_ARCH        32 or 64: which build the program and the probe come from
# Everything it starts is ended when the script exits, whatever happens.
#
# A copy is followed through its own Linux process (tools/wine_process.sh): a 32-bit program
# started through Wine's 64-bit loader runs in another process than the one launched. With
# TSUTSURI_E2E_HANDOFF=1 every copy is started that way, through `start /exec`, so that the
# tests can be tried on that path also on a machine that runs no 32-bit programs.
#
# Functions that set results in global variables must be called directly, not in $( ).

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../tools/wine_process.sh
source "$E2E_LIB_DIR/../../tools/wine_process.sh"
E2E_FAILS=0
E2E_PIDS=()            # every copy of the program this test started (their own processes)
declare -gA E2E_LAUNCHED_BY=()   # a copy's own pid -> the pid launched for it (its exit code)
E2E_LAUNCHES=0
E2E_PID=""             # the copy e2e_start started last
E2E_DIR=""             # its current directory, where its settings file lives
E2E_EXIT_CODE=""       # set by e2e_wait_exit and e2e_stop
E2E_WINDOW_TIMEOUT_MS=${E2E_WINDOW_TIMEOUT_MS:-30000}
E2E_EXIT_TIMEOUT_S=${E2E_EXIT_TIMEOUT_S:-15}
declare -gA WIN=()     # the last e2e_window_info: left top width height visible topmost ...
declare -gA PROBE=()   # the last e2e_probe_read
E2E_PROBE_OUT=""       # the last probe's stdout, whatever the call

e2e_log() { echo "e2e: $*" >&2; }

# Loads the session's environment (DISPLAY, WINEPREFIX, HOME, LANG...) into this shell, so
# that wine, xdotool and import all talk to the session's display and prefix.
e2e_begin() {
    : "${TSUTSURI_WINE_STATE:?the Wine session folder}" "${TSUTSURI_EXE:?tsutsuri.exe}"
    : "${TSUTSURI_PROBE:?probe.exe}"
    if [ ! -f "$TSUTSURI_WINE_STATE/env" ]; then
        e2e_log "no Wine session at $TSUTSURI_WINE_STATE (tests/wine/wine-env.sh start)"
        exit 1
    fi
    # shellcheck disable=SC1091
    . "$TSUTSURI_WINE_STATE/env"
    E2E_NAME=$(basename "$0" .sh)
    trap e2e_cleanup EXIT
    # A copy left over by an earlier test would hold the single-instance mutex and answer
    # for the window this test starts.
    if e2e_probe find >/dev/null; then
        e2e_log "a copy of the program was already running; killing the prefix"
        e2e_kill_all
    fi
}

# The 64-bit program has no Windows 95/98/Me form: cases of that family are for the 32-bit one.
e2e_has_win9x_form() { [ "${TSUTSURI_ARCH:-32}" = 32 ]; }

# e2e_skip WHY: ends a test that has nothing to check for this build; CTest shows it skipped.
e2e_skip() {
    echo "skipped: $*"
    exit 77
}

# ---- probe.exe -------------------------------------------------------------------------

# e2e_probe ARGS...: runs probe.exe and prints its output; returns its exit code
# (0 done, 1 not found, 2 bad arguments; 124 when it hung for a minute). A probe that Wine
# failed to start is started again, once (wine_helper).
e2e_probe() {
    wine_helper timeout 60 wine "$TSUTSURI_PROBE" "$@" </dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# e2e_probe_read ARGS...: runs probe.exe and fills the global array PROBE from its
# key=value lines (PROBE[text_hex], PROBE[count]...); returns the probe's exit code.
e2e_probe_read() {
    local rc line
    E2E_PROBE_OUT=$(e2e_probe "$@")
    rc=$?
    PROBE=()
    # Byte by byte: in a UTF-8 locale `read` takes a code page 932 lead byte at a line's end
    # and the newline after it for one character, and the next key vanishes into this one.
    local LC_ALL=C
    while IFS= read -r line; do
        [[ $line == *=* ]] && PROBE[${line%%=*}]=${line#*=}
    done <<<"$E2E_PROBE_OUT"
    return $rc
}

# e2e_window_info [probe options]: the main window's facts into WIN (left, top, right,
# bottom, width, height, visible, popup, topmost, toolwindow, class, title, hwnd, pid,
# region_type, region_count, region_area, region_rects, region_prop...). Returns 1 when
# there is no such window.
e2e_window_info() {
    local rc
    e2e_probe_read info "$@"
    rc=$?
    WIN=()
    local k
    for k in "${!PROBE[@]}"; do WIN[$k]=${PROBE[$k]}; done
    return $rc
}

# e2e_wait_window [TIMEOUT_MS]: waits until the main window exists and is visible.
e2e_wait_window() {
    e2e_probe find --visible --timeout "${1:-$E2E_WINDOW_TIMEOUT_MS}" >/dev/null
}

# e2e_hex TEXT: the code page 932 bytes of a UTF-8 text, in lower-case hex, as the probe
# prints them. `printf` escapes (\r, \n) in TEXT are expanded.
e2e_hex() {
    # shellcheck disable=SC2059
    printf "$1" | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n'
}

# ---- the program ---------------------------------------------------------------------

# e2e_new_dir: prints a fresh, empty folder for one copy's current directory.
e2e_new_dir() { mktemp -d "$TSUTSURI_WINE_STATE/e2e.$E2E_NAME.XXXXXX"; }

# e2e_launch_exe EXE DIR LOG: starts EXE with DIR as its current directory and its output
# appended to LOG, and returns once its own process runs (or has already ended). Sets
# E2E_LAUNCHED_PID, that process, and E2E_LAUNCHED_DIR.
e2e_launch_exe() {
    local exe=$1 dir=$2 log=$3 tag launched handoff=()
    mkdir -p "$dir"
    E2E_LAUNCHES=$((E2E_LAUNCHES + 1))
    tag=$E2E_NAME.$$.$E2E_LAUNCHES
    [ "${TSUTSURI_E2E_HANDOFF:-0}" != 1 ] || handoff=(start /exec)
    (cd "$dir" && exec env "$(wine_process_marker "$tag")" wine "${handoff[@]}" "$exe") \
        </dev/null >>"$log" 2>&1 &
    launched=$!
    if ! E2E_LAUNCHED_PID=$(wine_process_wait "$tag" "$exe" "$launched"); then
        e2e_log "no process of $(basename "$exe") came; following the one launched"
        E2E_LAUNCHED_PID=$launched
    fi
    E2E_LAUNCHED_BY[$E2E_LAUNCHED_PID]=$launched
    E2E_LAUNCHED_DIR=$dir
    E2E_PIDS+=("$E2E_LAUNCHED_PID")
}

# e2e_launch [DIR]: starts a copy of the program in DIR (fresh when not given), its output in
# DIR/wine.log, as e2e_launch_exe does.
e2e_launch() {
    local dir=${1:-}
    [ -n "$dir" ] || dir=$(e2e_new_dir)
    e2e_launch_exe "$TSUTSURI_EXE" "$dir" "$dir/wine.log"
}

# e2e_start [DIR]: starts the program in DIR (fresh when not given) and waits until its
# window is visible. Sets E2E_PID and E2E_DIR. Returns 1 when no window came (then
# E2E_EXIT_CODE holds the exit code if the copy ended).
e2e_start() {
    e2e_launch "${1:-}"
    E2E_PID=$E2E_LAUNCHED_PID
    E2E_DIR=$E2E_LAUNCHED_DIR
    E2E_EXIT_CODE=""
    if ! e2e_wait_window; then
        if ! e2e_running; then
            e2e_wait_exit "$E2E_PID" 0
            E2E_EXIT_CODE=${E2E_EXIT_CODE:-?}
            e2e_log "the program ended with $E2E_EXIT_CODE before showing its window"
        else
            e2e_log "no window after ${E2E_WINDOW_TIMEOUT_MS} ms"
        fi
        return 1
    fi
}

# e2e_ticks N: waits N heartbeats of the program (128 ms each), for what a tick brings.
e2e_ticks() { sleep "$(awk -v n="$1" 'BEGIN { printf "%.3f", n * 0.128 }')"; }

# e2e_poll TIMEOUT_S COMMAND...: runs COMMAND every 0.1 s until it succeeds; 1 when it has
# not within TIMEOUT_S seconds. For a test that waits for a condition rather than a time.
e2e_poll() {
    local limit=$1 i
    shift
    for ((i = 0; i < limit * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

# e2e_running [PID]: whether that copy (default: E2E_PID) still runs.
e2e_running() { wine_process_alive "${1:-$E2E_PID}"; }

# e2e_wait_exit [PID [TIMEOUT_S]]: waits for a copy to end; sets E2E_EXIT_CODE (the
# program's own exit code, modulo 256, which the process launched for it ends with).
# Returns 1 when it still runs after the timeout.
e2e_wait_exit() {
    local pid=${1:-$E2E_PID} limit=${2:-$E2E_EXIT_TIMEOUT_S} i
    for ((i = 0; i < limit * 10; i++)); do
        e2e_running "$pid" || break
        sleep 0.1
    done
    if e2e_running "$pid"; then
        E2E_EXIT_CODE=""
        return 1
    fi
    # start.exe, where there is one, ends a moment after the program it waited for.
    wait "${E2E_LAUNCHED_BY[$pid]:-$pid}"
    E2E_EXIT_CODE=$?
    return 0
}

# e2e_stop: ends the copy of e2e_start the way the window manager would (WM_CLOSE), waits
# for it and sets E2E_EXIT_CODE. When it does not end, everything in the prefix is killed
# (wineserver -k) and 1 is returned.
e2e_stop() {
    e2e_running || { e2e_wait_exit "$E2E_PID" 0; return 0; }
    e2e_probe close >/dev/null
    if e2e_wait_exit "$E2E_PID"; then return 0; fi
    e2e_log "the program did not end after WM_CLOSE; killing the prefix"
    e2e_kill_all
    return 1
}

# e2e_kill_all: the last resort: ends every Wine process of the session's prefix (the
# desktop comes back by itself with the next program).
e2e_kill_all() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        wait "${E2E_LAUNCHED_BY[$pid]:-$pid}" 2>/dev/null || true
    done
    # A killed server means a new one: make it persistent again, as the session started it,
    # and bring the desktop back.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    "$E2E_LIB_DIR/desktop.sh" "$TSUTSURI_WINE_STATE" "$TSUTSURI_PROBE" ||
        e2e_log "the desktop did not come back"
}

e2e_cleanup() {
    local rc=$? pid left=0 i
    for pid in "${E2E_PIDS[@]}"; do e2e_running "$pid" && left=1; done
    if [ $left = 1 ]; then
        if [ $rc != 0 ]; then
            e2e_screenshot "$TSUTSURI_WINE_STATE/$E2E_NAME.failed.png" 2>/dev/null &&
                e2e_log "screen at the failure: $TSUTSURI_WINE_STATE/$E2E_NAME.failed.png"
        fi
        # Copies may wait on their message boxes: dismiss those, close the main window.
        for i in 1 2 3; do e2e_probe msgbox-ok >/dev/null || break; done
        e2e_probe close >/dev/null
        for ((i = 0; i < 50; i++)); do
            left=0
            for pid in "${E2E_PIDS[@]}"; do e2e_running "$pid" && left=1; done
            [ $left = 1 ] || break
            sleep 0.1
        done
        if [ $left = 1 ]; then
            e2e_log "a copy was still running at the end; killing the prefix"
            e2e_kill_all
        fi
    fi
    exit $rc
}

# ---- the screen and the mouse ----------------------------------------------------------

# e2e_screenshot FILE: the whole Xvfb screen (1024x768) as PNG.
e2e_screenshot() { import -window root "$1"; }

# e2e_crop SHOT OUT [LEFT TOP WIDTH HEIGHT]: cuts a rectangle out of a screenshot; without
# a rectangle, the main window's as read by the last e2e_window_info.
e2e_crop() {
    local l=${3:-${WIN[left]}} t=${4:-${WIN[top]}} w=${5:-${WIN[width]}} h=${6:-${WIN[height]}}
    convert "$1" -crop "${w}x${h}+${l}+${t}" +repage "$2"
}

# e2e_pixel IMAGE X Y: the colour at (X, Y) as rrggbb.
e2e_pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' |
        tr 'A-F' 'a-f'
}

# e2e_pointer_to X Y: moves the pointer there and waits until it is there. A --sync move to
# where the pointer already is waits for motion that never comes (xdotool gives up after
# seconds), so that move is left out.
e2e_pointer_to() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    [ "$X" = "$1" ] && [ "$Y" = "$2" ] && return 0
    xdotool mousemove --sync "$1" "$2"
}

# e2e_click X Y [BUTTON]: a click at a screen position (1 left, 2 middle, 3 right).
e2e_click() { e2e_pointer_to "$1" "$2" && xdotool click "${3:-1}"; }

# e2e_drag X1 Y1 X2 Y2 [BUTTON]: press at one place, move there in steps, release.
e2e_drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4 b=${5:-1} i
    local steps=8
    e2e_pointer_to "$x1" "$y1"
    xdotool mousedown "$b"
    sleep 0.1
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove --sync $((x1 + (x2 - x1) * i / steps)) $((y1 + (y2 - y1) * i / steps))
        sleep 0.05
    done
    xdotool mouseup "$b"
}

# e2e_key KEY...: key presses to the focused window, by X key name (Escape, Return...).
e2e_key() { xdotool key "$@"; }

# ---- the settings file -----------------------------------------------------------------

# e2e_ini_get FILE SECTION KEY: prints the value and returns 0, or returns 1 when the key
# is not there. Names match without regard to case, as GetPrivateProfileString does;
# CRLF line ends are accepted.
e2e_ini_get() {
    [ -f "$1" ] || return 1
    awk -v sec="$2" -v key="$3" '
        { sub(/\r$/, "") }
        /^[ \t]*\[/ { s = $0; sub(/^[ \t]*\[/, "", s); sub(/\].*$/, "", s)
                      insec = (tolower(s) == tolower(sec)); next }
        insec {
            i = index($0, "="); if (i == 0) next
            k = substr($0, 1, i - 1); gsub(/^[ \t]+|[ \t]+$/, "", k)
            if (tolower(k) == tolower(key)) {
                v = substr($0, i + 1); gsub(/^[ \t]+|[ \t]+$/, "", v); print v; found = 1; exit
            }
        }
        END { exit found ? 0 : 1 }' "$1"
}

# e2e_ini_write FILE: writes stdin to FILE with CRLF line ends, as Windows writes INI files.
e2e_ini_write() { sed 's/\r*$/\r/' >"$1"; }

# e2e_settings DIR X Y [SECTION:KEY=VALUE ...]: the settings file in DIR, the window's place
# (X, Y) first, then each key under its section; a section starts where its first key stands.
e2e_settings() {
    local file=$1/tsutsurin.ini section="" pair
    {
        printf '[Winpos]\nXpos=%s\nYpos=%s\n' "$2" "$3"
        shift 3
        for pair in "$@"; do
            [ "${pair%%:*}" != "$section" ] && section=${pair%%:*} && printf '[%s]\n' "$section"
            printf '%s\n' "${pair#*:}"
        done
    } | e2e_ini_write "$file"
}

# e2e_ini_free_at DIR X Y: a settings file in DIR that stands the window free at (X, Y).
e2e_ini_free_at() { e2e_settings "$1" "$2" "$3" Runsts:posmode=1; }

# ---- checks ----------------------------------------------------------------------------

e2e_fail() {
    E2E_FAILS=$((E2E_FAILS + 1))
    e2e_log "FAIL: $*"
}

# e2e_expect_eq WHAT EXPECTED ACTUAL
e2e_expect_eq() {
    if [ "$2" == "$3" ]; then return 0; fi
    e2e_fail "$1: expected '$2', got '$3'"
    return 1
}

# e2e_expect_ne WHAT UNWANTED ACTUAL
e2e_expect_ne() {
    if [ "$2" != "$3" ]; then return 0; fi
    e2e_fail "$1: got '$3'"
    return 1
}

# e2e_require WHAT COMMAND...: runs COMMAND; when it fails, the test ends here.
e2e_require() {
    local what=$1
    shift
    if "$@"; then return 0; fi
    e2e_fail "$what"
    e2e_finish
}

# e2e_finish: ends the test; its exit status says whether every check held.
e2e_finish() {
    if [ "$E2E_FAILS" -gt 0 ]; then
        e2e_log "$E2E_NAME: $E2E_FAILS check(s) failed"
        exit 1
    fi
    e2e_log "$E2E_NAME: passed"
    exit 0
}
