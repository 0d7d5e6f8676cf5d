# Helpers for tests that compare what the window shows with the artwork it is drawn from:
# frame bitmaps as pixel lists and shape masks, window regions as masks, and the region
# watch of probe.exe. Source after lib.sh.

E2E_RES_DIR=$(cd "$E2E_LIB_DIR/../../res" && pwd)
E2E_FRAME_COUNT=9
declare -gA E2E_FRAME_MASK=()   # frame index -> its shape as 48x48 characters (see below)
declare -gA E2E_FRAME_OF=()     # region rectangles -> frame, as e2e_frame_of found it
declare -gA WATCH=()            # the last e2e_watch_read: s<i>_ms, s<i>_left, ..., count

# e2e_pixels IMAGE: every pixel as "x y rrggbb", one a line, row by row.
e2e_pixels() {
    convert "$1" -depth 8 txt:- |
        awk 'NR > 1 { split($1, p, /[,:]/); c = tolower($3); sub(/^#/, "", c)
                      print p[1], p[2], substr(c, 1, 6) }'
}

# e2e_bmp_mask BMP: the picture's shape as 48 rows of 48 characters run together, "1" where
# the pixel is not black (inside the window's shape), "0" where it is.
e2e_bmp_mask() {
    e2e_pixels "$1" | awk '{ m[$2 * 48 + $1] = ($3 == "000000") ? 0 : 1 }
                           END { for (i = 0; i < 48 * 48; i++) printf "%d", m[i]; print "" }'
}

# e2e_rects_mask "l,t,r,b l,t,r,b ...": the same characters for a list of region rectangles
# in window coordinates.
e2e_rects_mask() {
    awk -v rects="$1" 'BEGIN {
        n = split(rects, list, " ")
        for (i = 1; i <= n; i++) {
            split(list[i], c, ",")
            for (y = c[2]; y < c[4]; y++) for (x = c[1]; x < c[3]; x++)
                if (x >= 0 && x < 48 && y >= 0 && y < 48) m[y * 48 + x] = 1
        }
        for (i = 0; i < 48 * 48; i++) printf "%d", (i in m) ? 1 : 0
        print ""
    }'
}

# e2e_frame_masks: loads the nine frames' shapes into E2E_FRAME_MASK (once).
e2e_frame_masks() {
    [ "${#E2E_FRAME_MASK[@]}" -eq "$E2E_FRAME_COUNT" ] && return 0
    local f
    for ((f = 0; f < E2E_FRAME_COUNT; f++)); do
        E2E_FRAME_MASK[$f]=$(e2e_bmp_mask "$E2E_RES_DIR/frame$f.bmp")
    done
}

# e2e_frame_of "RECTS": sets E2E_FRAME to the frame whose shape the region is, "?" for none
# of them, "none" for a window without a region. Call directly, not in $( ): the answers are
# remembered.
e2e_frame_of() {
    E2E_FRAME=none
    [ "$1" = none ] && return
    if [ -n "${E2E_FRAME_OF[$1]:-}" ]; then
        E2E_FRAME=${E2E_FRAME_OF[$1]}
        return
    fi
    e2e_frame_masks
    local mask f
    mask=$(e2e_rects_mask "$1")
    E2E_FRAME="?"
    for ((f = 0; f < E2E_FRAME_COUNT; f++)); do
        [ "$mask" = "${E2E_FRAME_MASK[$f]}" ] && { E2E_FRAME=$f; break; }
    done
    E2E_FRAME_OF[$1]=$E2E_FRAME
}

# e2e_watch_start MS: starts probe.exe's watch of the main window for MS milliseconds in the
# background and returns once it is watching. Its output goes to E2E_WATCH_OUT.
e2e_watch_start() {
    E2E_WATCH_OUT=$(mktemp "$TSUTSURI_WINE_STATE/e2e.$E2E_NAME.watch.XXXXXX")
    wine_helper wine "$TSUTSURI_PROBE" watch --timeout "$1" </dev/null >"$E2E_WATCH_OUT" &
    E2E_WATCH_PID=$!
    E2E_PIDS+=("$E2E_WATCH_PID")
    local i
    for ((i = 0; i < 300; i++)); do
        grep -q '^watching=1' "$E2E_WATCH_OUT" 2>/dev/null && return 0
        sleep 0.1
    done
    e2e_log "the watch did not start"
    return 1
}

# e2e_watch_read: fills WATCH from what the watch has printed so far (count: the states
# complete so far).
e2e_watch_read() {
    WATCH=()
    local line n=0
    while IFS= read -r line; do
        [[ $line == *=* ]] && WATCH[${line%%=*}]=${line#*=}
        [[ $line == s*_rects=* ]] && n=$((n + 1))
    done < <(tr -d '\r' <"$E2E_WATCH_OUT")
    WATCH[count]=$n
}

# e2e_watch_end: waits for the watch to end by itself, then reads all it printed.
e2e_watch_end() {
    wait "$E2E_WATCH_PID" 2>/dev/null
    e2e_watch_read
}

# e2e_watch_stop: ends the watch now (by its pid) and reads all it printed.
e2e_watch_stop() {
    kill "$E2E_WATCH_PID" 2>/dev/null
    wait "$E2E_WATCH_PID" 2>/dev/null
    e2e_watch_read
}

# e2e_watch_until REGEX TIMEOUT_S: waits until the frames watched so far (E2E_FRAMES, e.g.
# "none 3 4 5") match REGEX; returns 1 when the time runs out first.
e2e_watch_until() {
    local limit=$(( $2 * 10 )) i
    for ((i = 0; i < limit; i++)); do
        e2e_watch_read
        e2e_watch_frames
        [[ $E2E_FRAMES =~ $1 ]] && return 0
        sleep 0.1
    done
    e2e_log "frames seen: $E2E_FRAMES; wanted /$1/"
    return 1
}

# e2e_watch_frames: sets E2E_FRAMES to the frame of each watched state, space-separated,
# consecutive repeats (a move without a change of shape) folded.
e2e_watch_frames() {
    local i last="" out=()
    for ((i = 0; i < ${WATCH[count]:-0}; i++)); do
        e2e_frame_of "${WATCH[s${i}_rects]}"
        [ "$E2E_FRAME" = "$last" ] && continue
        out+=("$E2E_FRAME")
        last=$E2E_FRAME
    done
    E2E_FRAMES="${out[*]}"
}

# e2e_write_still_settings DIR LEFT TOP [RUN_STATE_LINE...]: a settings file for a sozu that
# stands free at LEFT,TOP, makes no sound and never fills by itself (a cumulative threshold
# far above any usage), so its pictures stay still; extra "key=value" lines join [Runsts].
e2e_write_still_settings() {
    local dir=$1 left=$2 top=$3 line extra=()
    shift 3
    for line in "$@"; do extra+=("Runsts:$line"); done
    e2e_settings "$dir" "$left" "$top" Runsts:posmode=1 Runsts:snd_vol=0 "${extra[@]}" \
        Kand:cpu2=10000
}
