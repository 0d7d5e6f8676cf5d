#!/usr/bin/env bash
# The CPU line of the about dialog follows the machine's load: it rises while a busy loop of
# our own keeps one of the two processors busy, and it agrees with what the Linux kernel
# counted over the same seconds. Other tests may load the machine too, so the busy readings
# are compared with the same run's idle ones and with the kernel's own figures, not with
# fixed values.
source "$(dirname "$0")/lib.sh"
e2e_begin

readonly ReadingsPerPhase=5
AboutCaptionHex=$(e2e_hex 'Tsutsuri について')
CpuPrefixHex=$(e2e_hex 'CPU使用率：')
PercentHex=$(e2e_hex '％')
readonly Tolerance=30          # program against kernel, in percentage points
readonly BusyFloor=35          # one busy core of two is about 50

# The machine's busy and idle jiffies so far (all processors), from the kernel.
host_ticks() { awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 + $9, $5 + $6 }' /proc/stat; }

# host_usage B0 I0 B1 I1: the machine's usage in per cent between two host_ticks readings.
host_usage() { echo $(( ($3 - $1) * 100 / ($3 - $1 + $4 - $2 + 1) )); }

# The number in the CPU line "CPU使用率：n％", from the hex the probe prints; empty when
# the line has another form.
cpu_number() {
    local hex=$1 digits
    [[ $hex == "$CpuPrefixHex"*"$PercentHex" ]] || return 0
    digits=${hex#"$CpuPrefixHex"}
    digits=$(printf '%s' "${digits%"$PercentHex"}" | xxd -r -p)
    [[ $digits =~ ^[0-9]+$ ]] && echo "$digits"
}

# The mean of the readings: like the kernel's figure, an average over the phase (a median
# would side with the majority when other programs' load comes in bursts).
mean() { printf '%s\n' "$@" | awk '{ s += $1 } END { print NR ? int(s / NR + 0.5) : 0 }'; }

# read_phase NAME: ReadingsPerPhase readings of the dialog's CPU line, about one a second
# (it refreshes once a second); sets READINGS and HOST, the kernel's usage over the phase.
read_phase() {
    local b0 i0 b1 i1 n i
    READINGS=()
    read -r b0 i0 < <(host_ticks)
    for ((i = 0; i < ReadingsPerPhase; i++)); do
        sleep 1
        e2e_probe_read about --timeout 5000
        n=$(cpu_number "${PROBE[text1002_hex]}")
        if [ -z "$n" ]; then
            e2e_fail "$1: the CPU line reads '${PROBE[text1002]}'"
            continue
        fi
        ((n <= 100)) || e2e_fail "$1: a usage above 100: $n"
        READINGS+=("$n")
    done
    read -r b1 i1 < <(host_ticks)
    HOST=$(host_usage "$b0" "$i0" "$b1" "$i1")
    e2e_log "$1: program ${READINGS[*]}, kernel $HOST"
}

dir=$(e2e_new_dir)
printf '[Runsts]\nposmode=1\nsnd_vol=0\n' | e2e_ini_write "$dir/tsutsurin.ini"
e2e_require "window shows" e2e_start "$dir"
e2e_probe_read command 40015
e2e_require "about dialog opens" e2e_probe_read about --timeout 10000

read_phase idle
idle=$(mean "${READINGS[@]}")
idle_host=$HOST

sh -c 'while :; do :; done' &
busy_pid=$!
# The first refresh after the loop starts still covers idle time.
sleep 1.5
read_phase busy
kill "$busy_pid"
wait "$busy_pid" 2>/dev/null
busy=$(mean "${READINGS[@]}")
busy_host=$HOST

((busy >= BusyFloor)) || e2e_fail "one busy core of two reads $busy (want >= $BusyFloor)"
((busy - busy_host <= Tolerance && busy_host - busy <= Tolerance)) ||
    e2e_fail "busy: the program reads $busy, the kernel counted $busy_host"
((idle - idle_host <= Tolerance && idle_host - idle <= Tolerance)) ||
    e2e_fail "idle: the program reads $idle, the kernel counted $idle_host"
# The rise can be seen only when the rest of the machine left room for it.
if ((busy_host - idle_host >= 25)); then
    ((busy - idle >= 10)) || e2e_fail "no rise: idle $idle, busy $busy"
else
    e2e_log "the machine was as busy without our loop ($idle_host) as with it ($busy_host)"
fi

# OK ends the dialog and brings the window back.
e2e_probe_read post command 1 --class '#32770' --title-hex "$AboutCaptionHex"
e2e_probe_read wait-gone --class '#32770' --title-hex "$AboutCaptionHex" --timeout 5000
e2e_expect_eq "dialog gone after OK" 1 "${PROBE[gone]}"
e2e_require "window visible again" e2e_wait_window 5000
e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
