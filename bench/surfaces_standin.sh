#!/usr/bin/env bash
# The X11 window surfaces Wine keeps for windows that are gone, without the program: runs
# bench/surfaces_standin.exe (see its source) in a private Wine session and prints, after each
# of its steps, the SysV shared memory its process maps: how many surfaces and their resident
# kilobytes. The step of 556 KB that the long endurance campaign sees at 144 DPI is one more of
# these.
#
#   bench/surfaces_standin.sh CROSS_BUILD      (build/win32, or build/win64)
set -euo pipefail
cross=$(cd "${1:?usage: surfaces_standin.sh CROSS_BUILD}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
wine_env=$here/../tests/wine/wine-env.sh
# shellcheck source=../tools/wine_process.sh
source "$here/../tools/wine_process.sh"
exe=$cross/bench/surfaces_standin.exe
state=$(mktemp -d /tmp/tsutsuri-surfaces.XXXXXX)
trap '"$wine_env" stop "$state" >/dev/null 2>&1 || true; rm -rf "$state"' EXIT
"$wine_env" start "$state" >/dev/null
tag=surfaces.$$

surfaces() {
    awk '/^[0-9a-f]+-/ { shared = / \/SYSV/ } shared && /^Rss:/ { n++; kb += $2 }
         END { printf "%d surfaces, %d KB resident", n, kb }' "/proc/$1/smaps"
}

"$wine_env" exec "$state" env "$(wine_process_marker "$tag")" wine "$exe" </dev/null |
    while IFS= read -r line; do
        line=${line%$'\r'}
        if pid=$(wine_process_find "$tag" "$exe" 2>/dev/null); then
            echo "$line: $(surfaces "$pid")"
        fi
    done
