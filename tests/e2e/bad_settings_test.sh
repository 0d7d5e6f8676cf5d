#!/usr/bin/env bash
# Hand-edited settings files: each is started, runs a few heartbeats and leaves through the
# menu's exit command. None may crash the program (exit code 0, the window came), and what
# the file held comes back as the program reads it: out-of-range values are kept and written
# back as read, text that is not a number reads the platform's way, and an empty value or a
# missing key takes the default.
source "$(dirname "$0")/lib.sh"
e2e_begin

CRLF=$'\r'
# A free window at a known place, so that every case shows on screen.
free_place=$'[Winpos]\nXpos=100\nYpos=100\n'

# run_case NAME: starts the program on the file already written to $dir, exits via the menu.
run_case() {
    local name=$1
    if ! e2e_start "$dir"; then
        e2e_fail "$name: no window (exit code '${E2E_EXIT_CODE}')"
        return 1
    fi
    e2e_ticks 4
    e2e_running || { e2e_fail "$name: ended by itself"; return 1; }
    e2e_probe command 40006 >/dev/null
    if e2e_wait_exit; then
        e2e_expect_eq "$name: exit code" 0 "$E2E_EXIT_CODE"
    else
        e2e_fail "$name: still running after the exit command"
        e2e_stop
        return 1
    fi
}

# expect_keys NAME SECTION KEY=VALUE...: what the file holds after the run.
expect_keys() {
    local name=$1 section=$2 pair
    shift 2
    for pair in "$@"; do
        e2e_expect_eq "$name: $section/${pair%%=*}" "${pair#*=}" \
            "$(e2e_ini_get "$dir/tsutsurin.ini" "$section" "${pair%%=*}")"
    done
}

# ---- one table row per file: name, content, then the keys expected back ----------------
dir=$(e2e_new_dir)
e2e_ini_write "$dir/tsutsurin.ini" <<X
${free_place}[Runsts]
posmode=1
win_obj=7
frn_kan=9
snd_vol=258
etc_water=5
etc_sizuk=200
mem_rel=3
mem_col=77
[Kand]
cpu2=400
random2=1000
X
run_case "out of range"
expect_keys "out of range" Runsts win_obj=7 frn_kan=9 snd_vol=2 etc_water=5 etc_sizuk=200 \
    mem_rel=3 mem_col=77
expect_keys "out of range" Kand cpu2=400 random2=1000

dir=$(e2e_new_dir)
e2e_ini_write "$dir/tsutsurin.ini" <<X
${free_place}[Runsts]
posmode=1
win_obj=2
frn_kan=-1
snd_vol=-1
mem_col=-2
[Kand]
cpu0=-5
random0=-3
random1=0
random2=0
random3=0
random4=0
random5=0
X
run_case "negative"
# 8-bit fields keep their low 8 bits: -1 reads as 255, -2 as 254.
expect_keys "negative" Runsts frn_kan=255 snd_vol=255 mem_col=254
expect_keys "negative" Kand cpu0=-5 random0=-3 random1=0

dir=$(e2e_new_dir)
e2e_settings "$dir" -20 100 Runsts:posmode=1 Runsts:frn_kan=0 Kand:cpu0=2147483647 \
    Kand:random0=2147483647
run_case "huge"
expect_keys "huge" Winpos Xpos=-20
expect_keys "huge" Kand cpu0=2147483647 random0=2147483647

dir=$(e2e_new_dir)
e2e_ini_write "$dir/tsutsurin.ini" <<X
${free_place}[Runsts]
posmode=1
snd_vol=
win_obj=abc
frn_kan=3xyz
mem_col= 1
[Kand]
cpu0=
X
run_case "empty, letters, trailing characters"
# Wine gives the fallback for an empty value; letters read as 0; digits before other text count.
expect_keys "text" Runsts snd_vol=2 win_obj=0 frn_kan=3 mem_col=1
expect_keys "text" Kand cpu0=15

dir=$(e2e_new_dir)
e2e_ini_write "$dir/tsutsurin.ini" <<X
[WINPOS]
XPOS=100
ypos=100
[RUNSTS]
POSMODE=1
Snd_Vol=3
[kand]
CPU1=33
X
run_case "other spellings"
expect_keys "spellings" Runsts snd_vol=3 posmode=1
expect_keys "spellings" Kand cpu1=33
expect_keys "spellings" Winpos Xpos=100

dir=$(e2e_new_dir)
e2e_ini_write "$dir/tsutsurin.ini" <<X
posmode=1
snd_vol=3
Xpos=100
X
run_case "no sections"
# Keys outside any section belong to none of ours: the defaults hold.
expect_keys "no sections" Runsts snd_vol=2 posmode=0

dir=$(e2e_new_dir)
# A binary file: bytes of every value, the same every run.
LC_ALL=C awk 'BEGIN { srand(7); for (i = 0; i < 8192; i++) printf "%c", int(rand() * 256) }' \
    >"$dir/tsutsurin.ini"
run_case "binary"
e2e_expect_eq "binary: a number is written back" 1 \
    "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts snd_vol | grep -cE '^-?[0-9]+$')"

dir=$(e2e_new_dir)
{
    printf '[Notes]%s\n' "$CRLF"
    for ((i = 0; i < 20000; i++)); do
        printf 'line%05d=some text that fills the file to a megabyte or so%s\n' "$i" "$CRLF"
    done
    printf '%s' "$free_place" | sed 's/$/\r/'
    printf '[Runsts]%s\nposmode=1%s\nsnd_vol=3%s\n' "$CRLF" "$CRLF" "$CRLF"
} >"$dir/tsutsurin.ini"
run_case "1 MB file"
expect_keys "1 MB" Runsts snd_vol=3
e2e_expect_eq "1 MB: the other sections kept" "some text that fills the file to a megabyte or so" \
    "$(e2e_ini_get "$dir/tsutsurin.ini" Notes line19999)"

e2e_finish
