#!/usr/bin/env bash
# The help page against the program it describes: every text of the popup menu, as the
# resource script spells it, must appear in the page; and the page must stay one UTF-8 file
# that opens without a network: no scripts, nothing loaded from elsewhere.
# Usage: page_test.sh RESOURCE_SCRIPT PAGE
set -euo pipefail
rc=$1 page=$2
failed=0
problem() { echo "help page: $*" >&2; failed=1; }

# MENUITEM "text", id[, flags] and POPUP "text"; a separator has no text. The count guards
# the pattern: a menu line it could not read would otherwise go unchecked.
mapfile -t texts < <(sed -n 's/^[[:space:]]*\(MENUITEM\|POPUP\)[[:space:]]*"\([^"]*\)".*/\2/p' "$rc")
lines=$(grep -cE '^[[:space:]]*(MENUITEM|POPUP)[[:space:]]' "$rc")
separators=$(grep -cE '^[[:space:]]*MENUITEM[[:space:]]+SEPARATOR' "$rc")
if [ "${#texts[@]}" -eq 0 ] || [ "${#texts[@]}" -ne $((lines - separators)) ]; then
    problem "read ${#texts[@]} menu texts from $rc, which has $((lines - separators))"
fi
for text in "${texts[@]}"; do
    grep -qF -- "$text" "$page" || problem "menu text missing: $text"
done

iconv -f UTF-8 -t UTF-8 "$page" >/dev/null 2>&1 || problem "not valid UTF-8"
grep -qiE '<meta[[:space:]]+charset="?utf-8"?[[:space:]]*/?>' "$page" || problem "no <meta charset=\"utf-8\">"
grep -qi '<script' "$page" && problem "has a script"

# Tags may span lines: look at the page as one line. Anything that loads a file, whether
# from the network or beside the page, would be missing wherever the page is opened alone;
# only data: addresses and in-page fragments are allowed.
flat=$(tr '\n' ' ' <"$page")
loads=$(grep -oiE '<(link|img|script|iframe|embed|object|source|audio|video)[[:space:]][^>]*>' <<<"$flat" |
        grep -oiE '(src|href|srcset|data)[[:space:]]*=[[:space:]]*("[^"]*"|'"'[^']*'"'|[^[:space:]>]+)' |
        grep -viE '=[[:space:]]*["'"'"']?(data:|#)' || true)
[ -z "$loads" ] || problem "loads a resource: $loads"
styled=$(grep -oiE 'url\([^)]*\)|@import' <<<"$flat" | grep -viE '^url\([[:space:]]*["'"'"']?(data:|#)' || true)
[ -z "$styled" ] || problem "style loads a resource: $styled"

# The table of contents and the cross references point at sections that exist.
while read -r id; do
    grep -qF "id=\"$id\"" "$page" || problem "link to #$id has no target"
done < <(grep -oE 'href="#[^"]+"' "$page" | sed 's/^href="#\(.*\)"$/\1/' | sort -u)

[ "$failed" -eq 0 ] && echo "help page: ${#texts[@]} menu texts found, self-contained"
exit "$failed"
