# shellcheck shell=bash
# Helpers for tests that listen to the program: the Wine session's sound device writes
# everything it plays to the raw file $TSUTSURI_CAPTURE (stereo frames at the mixer's 48 kHz,
# 32-bit float as Wine's mixer hands them over), growing whether or not anything sounds, and
# several times faster than real time. So a test marks
# where the file stood, lets the program play, and looks for sounding stretches after the
# mark: their order and size, not their exact times. Source after lib.sh.

# Silences inside one sound (a strike's ringing tail dips and rises) are shorter than this,
# half a second of sound; the spill and the strike are 12 ticks apart, several seconds.
readonly CaptureGapFrames=24000
# A sound is over once this much silence has been written after it.
readonly CaptureQuietFrames=120000

declare -ga CAP_START=() CAP_LENGTH=() CAP_PEAK=() CAP_ENERGY=()
CAP_FRAMES=0

capture_size() { stat -c %s "$TSUTSURI_CAPTURE" 2>/dev/null || echo 0; }

# capture_read FROM: the stretches written since byte FROM into CAP_START, CAP_LENGTH,
# CAP_PEAK and CAP_ENERGY (frames counted from FROM), the frames read into CAP_FRAMES. A device
# opened afresh starts the file over; then everything in it is new.
capture_read() {
    local from=$1 line start length peak energy
    (($(capture_size) >= from)) || from=0
    CAP_START=() CAP_LENGTH=() CAP_PEAK=() CAP_ENERGY=()
    CAP_FRAMES=0
    while read -r line; do
        case $line in
        frames=*) CAP_FRAMES=${line#frames=} ;;
        stretch\ *)
            read -r _ start length peak energy <<<"$line"
            CAP_START+=("${start#start=}")
            CAP_LENGTH+=("${length#length=}")
            CAP_PEAK+=("${peak#peak=}")
            CAP_ENERGY+=("${energy#energy=}")
            ;;
        esac
    done < <("$TSUTSURI_CAPTURE_SCAN" "$TSUTSURI_CAPTURE" --from "$from" --gap "$CaptureGapFrames")
}

# capture_wait_sounds FROM COUNT TIMEOUT_S: waits until at least COUNT stretches were written
# after FROM and the last one has ended; returns 1 when that did not happen in time (the
# stretches seen so far stay in CAP_...).
capture_wait_sounds() {
    local from=$1 count=$2 limit=$(($3 * 10)) i n
    for ((i = 0; i < limit; i++)); do
        capture_read "$from"
        n=${#CAP_START[@]}
        if ((n >= count)) &&
            ((CAP_FRAMES - CAP_START[n - 1] - CAP_LENGTH[n - 1] >= CaptureQuietFrames)); then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# capture_wait_growth FROM SECONDS TIMEOUT_S: waits until SECONDS of sound have been written
# after byte FROM (a device opened afresh starts the file over: then from its start); 1 when
# that did not happen in time. Everything requested before the call has then been mixed.
capture_wait_growth() {
    local from=$1 bytes i
    bytes=$(awk -v s="$2" 'BEGIN { printf "%d", s * 48000 * 8 }')
    for ((i = 0; i < $3 * 10; i++)); do
        (($(capture_size) >= from)) || from=0
        (($(capture_size) - from >= bytes)) && return 0
        sleep 0.1
    done
    return 1
}

# capture_log WHAT: the stretches last read, for the test's output.
capture_log() {
    local i text=""
    for i in "${!CAP_START[@]}"; do
        text+=" [${CAP_START[i]}+${CAP_LENGTH[i]} peak ${CAP_PEAK[i]} energy ${CAP_ENERGY[i]}]"
    done
    e2e_log "$1: $CAP_FRAMES frames,${text:- silent}"
}

# capture_expect_silence WHAT: what the mixer had already taken goes out first; then a second
# and a half must pass in silence, with the device still taking sound.
capture_expect_silence() {
    capture_wait_growth "$(capture_size)" 0.5 10
    MARK=$(capture_size)
    capture_wait_growth "$MARK" 1.5 10
    capture_read "$MARK"
    capture_log "$1"
    ((CAP_FRAMES > 0)) || e2e_fail "$1: the sound device stopped"
    e2e_expect_eq "$1: sounds" 0 "${#CAP_START[@]}"
}
