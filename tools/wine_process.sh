# shellcheck shell=bash
# The Linux process of a Windows program started under Wine, for the tests, `make run` and the
# bench. Sourced; needs nothing but /proc.
#
# Where a machine runs both kinds of programs, Wine's 64-bit loader hands a 32-bit program on
# to a second Linux process: the pid that was launched runs `start.exe /exec` and waits for the
# program, whose own process is another one (forked twice, so not even a child of the first).
# The launched pid still ends with the program's exit code, but its working set, its CPU time
# and its end are start.exe's. A 64-bit program under the same loader is the launched process
# itself.
#
# So a program is started with a marker in its environment, which Wine hands on to the process
# it starts the program in, and its own process is the one whose command name is the program's
# (Wine names the process after the .exe; Linux keeps 15 characters of it) and whose
# environment holds that marker. Other Wine sessions on the machine never match.
#
#   wine_process_marker TAG       the NAME=VALUE to put in the environment of the launch
#   wine_process_find TAG EXE     prints the program's own pid, or returns 1
#   wine_process_wait TAG EXE LAUNCHED [TIMEOUT_S]
#                                 waits for that process and prints its pid; when the launched
#                                 process ends first (the program ended at once) prints that
#                                 pid; returns 1 after TIMEOUT_S (default 60)
#   wine_helper CMD...            runs CMD, which starts a helper program (probe.exe) through
#                                 Wine; a run that never started is tried again, once

readonly WineProcessMarker=TSUTSURI_LAUNCH

wine_process_marker() { echo "$WineProcessMarker=$1"; }

wine_process_find() {
    local marker name f p
    marker=$(wine_process_marker "$1")
    name=$(basename "$2")
    name=${name:0:15}
    for f in /proc/[0-9]*/comm; do
        [ "$(cat "$f" 2>/dev/null)" = "$name" ] || continue
        p=${f#/proc/}
        p=${p%/comm}
        if tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "$marker"; then
            echo "$p"
            return 0
        fi
    done
    return 1
}

# wine_process_alive PID: whether PID runs. A launched process that has ended stays a zombie
# until its parent collects it, and `kill -0` still finds a zombie.
wine_process_alive() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

wine_process_wait() {
    local tag=$1 exe=$2 launched=$3 limit=${4:-60} i
    for ((i = 0; i < limit * 10; i++)); do
        wine_process_find "$tag" "$exe" && return 0
        if ! wine_process_alive "$launched"; then
            # Ended before it could be seen: the launched pid carries its exit code.
            wine_process_find "$tag" "$exe" || echo "$launched"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# wine_helper CMD...: runs CMD, a command that starts a helper program through Wine (`wine
# probe.exe find`, `timeout 60 wine ...`, `wine-env.sh exec DIR wine ...`), and returns its exit
# code. Under load, Wine now and then ends a program before its main() runs: it exits non-zero
# having printed nothing, and a second start a moment later works. Such a run is tried again,
# once, after a pause, and the retry is logged on stderr, so that a run shows how often it
# happens. A run that printed anything (`found=0` too) is an answer and stands, as does one
# ended by a signal (killed, or `timeout`'s 124 for a hang): neither is a start that failed.
#
# A regular file as output (a log read while it grows) gets the helper's output as it comes;
# any other output (a pipe, /dev/null) gets it when the helper ends. The helper's error output
# is shown only with a retry. Started in the background, the function's pid stands for the
# helper's: a TERM to it ends the helper.
readonly WineHelperPauseS=1 WineHelperTimedOut=124 WineHelperSignalled=128
wine_helper() {
    local work held="" out attempt rc=0 before=0 child="" outer_trap
    work=$(mktemp -d "${TMPDIR:-/tmp}/wine-helper.XXXXXX") || return 1
    # The caller's output by a path that still names it inside $( ), where /dev/stdout is the
    # substitution's own pipe.
    out=/proc/$BASHPID/fd/1
    [ -f "$out" ] || held=$work/out
    # In the background this shell is the job's own; in the foreground the caller's trap is
    # put back at the end.
    outer_trap=$(trap -p TERM)
    trap 'wine_helper_stop; wine_helper_end; exit 143' TERM
    for attempt in 1 2; do
        if [ -n "$held" ]; then
            "$@" >"$held" 2>"$work/err" &
        else
            before=$(stat -L -c %s "$out")
            "$@" 2>"$work/err" &
        fi
        child=$!
        rc=0
        wait "$child" || rc=$?   # not `rc=$?` after it: a caller under `set -e` would end
        child=""
        if [ "$rc" = 0 ] || [ "$rc" = $WineHelperTimedOut ] || [ "$rc" -gt $WineHelperSignalled ] ||
            [ "$attempt" = 2 ] || [ "$(stat -L -c %s "${held:-$out}")" != "$before" ]; then
            break
        fi
        echo "e2e: probe did not start (rc $rc); tried again" >&2
        head -5 "$work/err" | tr -d '\r' | sed 's/^/e2e:   /' >&2
        sleep $WineHelperPauseS
    done
    wine_helper_end
    eval "${outer_trap:-trap - TERM}"
    return "$rc"
}

# wine_helper's helper, when it is told to end: ended too.
wine_helper_stop() {
    [ -n "$child" ] || return 0
    kill "$child" 2>/dev/null || true
    wait "$child" || true
}

# The end of wine_helper: what the helper printed into the work folder goes on to the output.
wine_helper_end() {
    [ -z "$held" ] || cat "$held" 2>/dev/null
    rm -rf "$work"
}
