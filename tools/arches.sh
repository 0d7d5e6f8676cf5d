#!/usr/bin/env bash
# Which Windows architectures this machine can run under Wine, for `make test`, `make run` and
# `make bench`:
#
#   tools/arches.sh runnable     "32 64", "64", "32" or nothing: the builds whose programs run
#   tools/arches.sh why32        one line: why the 32-bit programs are not run here (or nothing)
#   tools/arches.sh why64        the same for the 64-bit programs
#   tools/arches.sh loader       the Wine loader to start programs with, by its path
#   tools/arches.sh shim DIR     writes DIR/wine, a `wine` that runs that loader, for the front
#                                of a session's PATH; prints the loader
#   tools/arches.sh build DIR    the cross build in DIR (DIR/win32 or DIR/win64) whose programs
#                                run here, the 32-bit one first; fails with why when neither does
#
# TSUTSURI_ARCHES ("64", "32" or "32 64") narrows the choice, so that the 64-bit-only path can
# be tried on a machine that runs both.
#
# Linux can boot with its 32-bit emulation off (since 6.7): every i386 program then fails with
# "Exec format error", Wine's 32-bit loader included, and no Wine can run 32-bit Windows code.
# The kernel version says nothing about it, so a tiny i386 program is run to find out.
set -euo pipefail
readonly Wine32Loader=/usr/lib/wine/wine Wine64Loader=/usr/lib/wine/wine64

# Prints nothing when an i386 Linux program runs here, else why not.
i386_trouble() {
    local dir out
    dir=$(mktemp -d)
    printf '.globl _start\n_start: movl $1,%%eax\n xorl %%ebx,%%ebx\n int $0x80\n' >"$dir/t.s"
    if ! as --32 "$dir/t.s" -o "$dir/t.o" 2>/dev/null || ! ld -m elf_i386 "$dir/t.o" -o "$dir/t" 2>/dev/null
    then
        echo "no i386 assembler and linker to try a 32-bit program with (binutils)"
    elif ! out=$("$dir/t" 2>&1); then
        out=$("$dir/t" 2>&1 | sed -n 's/.*: //p' | tail -1 || true)
        echo "no 32-bit programs run here (i386 test: ${out:-exit $?})"
    fi
    rm -rf "$dir"
}

wanted() {   # wanted 32|64: whether TSUTSURI_ARCHES lets that architecture in
    [ -z "${TSUTSURI_ARCHES:-}" ] && return 0
    [[ " ${TSUTSURI_ARCHES//,/ } " == *" $1 "* ]]
}

why32() {
    if ! wanted 32; then
        echo "TSUTSURI_ARCHES=${TSUTSURI_ARCHES} leaves the 32-bit build out"
        return
    fi
    local trouble
    trouble=$(i386_trouble)
    if [ -n "$trouble" ]; then echo "$trouble"; return; fi
    [ -x "$Wine32Loader" ] || echo "no 32-bit Wine loader at $Wine32Loader (package wine32:i386)"
}

why64() {
    if ! wanted 64; then
        echo "TSUTSURI_ARCHES=${TSUTSURI_ARCHES} leaves the 64-bit build out"
        return
    fi
    [ "$(uname -m)" = x86_64 ] || { echo "this machine is $(uname -m), not x86-64"; return; }
    [ -x "$Wine64Loader" ] || echo "no 64-bit Wine loader at $Wine64Loader (package wine64)"
}

# The 64-bit loader starts 64-bit programs itself and hands 32-bit ones to the 32-bit loader;
# /usr/bin/wine would always pick the 32-bit loader, which fails where no i386 program runs.
loader() {
    if [ -x "$Wine64Loader" ]; then echo "$Wine64Loader"; else echo "$Wine32Loader"; fi
}

case "${1:-runnable}" in
runnable)
    list=()
    [ -n "$(why32)" ] || list+=(32)
    [ -n "$(why64)" ] || list+=(64)
    echo "${list[*]}"
    ;;
why32) why32 ;;
why64) why64 ;;
loader) loader ;;
# /usr/bin/wine would pick the 32-bit loader whenever wine32 is installed, even where no
# 32-bit program can run: a session puts this `wine` first on its PATH instead.
shim)
    dir=${2:?usage: arches.sh shim DIR}
    path=$(loader)
    [ -x "$path" ] || { echo "arches.sh: no Wine loader at $path (install-deps)" >&2; exit 1; }
    mkdir -p "$dir"
    printf '#!/bin/sh\nexec %s "$@"\n' "$path" >"$dir/wine"
    chmod +x "$dir/wine"
    echo "$path"
    ;;
build)
    dir=${2:?usage: arches.sh build DIR}
    if [ -z "$(why32)" ]; then echo "$dir/win32"
    elif [ -z "$(why64)" ]; then echo "$dir/win64"
    else
        echo "arches.sh: no build runs here: $(why32); $(why64)" >&2
        exit 1
    fi
    ;;
*)
    echo "usage: arches.sh runnable|why32|why64|loader|shim DIR|build DIR" >&2
    exit 2
    ;;
esac
