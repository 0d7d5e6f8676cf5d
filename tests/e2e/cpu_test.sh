#!/usr/bin/env bash
# The CPU line of the about dialog follows the machine's load: it rises while a busy loop of
# our own keeps one of the two processors busy, and it agrees with what the Linux kernel
# counted over the same seconds. Other programs may load the machine too, and their load may
# come and go: the readings are compared with the kernel's figures over the same stretch of
# time, and their rise with the kernel's rise, never with fixed values.
source "$(dirname "$0")/lib.sh"
e2e_begin

readonly PhaseSeconds=5
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

# read_phase NAME: readings of the dialog's CPU line one after the other for PhaseSeconds;
# sets READINGS and HOST, the kernel's usage over the same time. The line shows the usage of
# the second before its last refresh (once a second), so readings taken evenly from a moment
# on average the usage from a second earlier: the kernel's stretch starts and ends a second
# before the readings'.
read_phase() {
    local b0 i0 b1 i1 n end ticker
    READINGS=()
    read -r b0 i0 < <(host_ticks)
    (sleep "$PhaseSeconds"; host_ticks) >"$E2E_DIR/host_ticks" &
    ticker=$!
    sleep 1
    end=$((${EPOCHREALTIME/[.,]/} + PhaseSeconds * 1000000))
    while ((${EPOCHREALTIME/[.,]/} < end)); do
        e2e_probe_read about --timeout 5000
        n=$(cpu_number "${PROBE[text1002_hex]}")
        if [ -z "$n" ]; then
            e2e_fail "$1: the CPU line reads '${PROBE[text1002]}'"
            continue
        fi
        ((n <= 100)) || e2e_fail "$1: a usage above 100: $n"
        READINGS+=("$n")
    done
    wait "$ticker"
    read -r b1 i1 <"$E2E_DIR/host_ticks"
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

# near A B: whether two figures lie within Tolerance of each other.
near() { (($1 - $2 <= Tolerance && $2 - $1 <= Tolerance)); }
((busy >= BusyFloor)) || e2e_fail "one busy core of two reads $busy (want >= $BusyFloor)"
near "$busy" "$busy_host" || e2e_fail "busy: the program reads $busy, the kernel counted $busy_host"
near "$idle" "$idle_host" || e2e_fail "idle: the program reads $idle, the kernel counted $idle_host"
# The rise against the kernel's: a program that does not rise fails once the kernel's rise
# goes past the tolerance (about 50 on a machine with room for our loop).
near $((busy - idle)) $((busy_host - idle_host)) ||
    e2e_fail "the program rose by $((busy - idle)), the kernel by $((busy_host - idle_host))"
((busy_host - idle_host > Tolerance)) ||
    e2e_log "the machine was about as busy without our loop ($idle_host) as with it ($busy_host)"

# OK ends the dialog and brings the window back.
e2e_probe_read post command 1 --class '#32770' --title-hex "$AboutCaptionHex"
e2e_probe_read wait-gone --class '#32770' --title-hex "$AboutCaptionHex" --timeout 5000
e2e_expect_eq "dialog gone after OK" 1 "${PROBE[gone]}"
e2e_require "window visible again" e2e_wait_window 5000
e2e_require "ends on WM_CLOSE" e2e_stop
e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
e2e_finish
