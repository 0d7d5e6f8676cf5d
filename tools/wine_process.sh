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
        if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "$marker"; then
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
