#!/usr/bin/env bash
# Renders the help page in headless Chromium and checks that the page itself came out: a PNG
# of the window's size, the page's paper colour in the corner (not a blank or an error page),
# and text and drawing (many colours) in both halves. The PNG stays in the build folder.
# Usage: render_test.sh PAGE OUTPUT_PNG
set -euo pipefail
page=$(realpath "$1") out=$2
width=1024 height=2000
command -v chromium >/dev/null || { echo "chromium is missing: run tools/install-deps.sh" >&2; exit 1; }

tmp=$(mktemp -d)
group=
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
    # timeout leads its own process group; whatever Chromium left behind in it ends here.
    if [ -n "$group" ] && kill -0 -- "-$group" 2>/dev/null; then
        kill -KILL -- "-$group" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

# As root Chromium needs --no-sandbox; the rest keeps it off the network and out of the
# user's profile.
timeout -k 5 90 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --hide-scrollbars \
    --user-data-dir="$tmp/profile" --screenshot="$tmp/page.png" --window-size="$width,$height" \
    "file://$page" >"$tmp/chromium.log" 2>&1 &
group=$!
if ! wait "$group"; then
    echo "chromium failed" >&2
    tail -n 20 "$tmp/chromium.log" >&2
    exit 1
fi

failed=0
problem() { echo "help render: $*" >&2; failed=1; }
[ -s "$tmp/page.png" ] || { echo "help render: no screenshot" >&2; exit 1; }
size=$(identify -format '%wx%h' "$tmp/page.png")
[ "$size" == "${width}x$height" ] || problem "screenshot is $size, not ${width}x$height"

paper=$(sed -n 's/.*--paper:[[:space:]]*#\([0-9a-fA-F]\{6\}\).*/\1/p' "$page" | head -n 1)
corner=$(convert "$tmp/page.png" -crop 1x1+3+3 +repage -depth 8 -alpha off -format '%[hex:p{0,0}]' info:)
[ "${corner,,}" == "${paper,,}" ] || problem "corner is #$corner, not the page's paper #$paper"

colours() { convert "$tmp/page.png" -crop "${width}x$((height / 2))+0+$1" +repage -format '%k' info:; }
upper=$(colours 0) lower=$(colours $((height / 2)))
[ "$upper" -ge 64 ] || problem "upper half has only $upper colours"
[ "$lower" -ge 64 ] || problem "lower half has only $lower colours"

cp "$tmp/page.png" "$out"
[ "$failed" -eq 0 ] && echo "help render: $size, $upper and $lower colours, kept in $out"
exit "$failed"
