#!/usr/bin/env bash
# The release packages, as `make dist` makes them: package_test.sh OUT_DIR BUILD_DIR...
#
# Made twice, the second time from copies of the programs with other file times, under another
# umask and time zone: the same bytes. Each zip is read back with Info-ZIP's unzip, not the
# writer's own library: intact, its entries in order, the program and the help page byte for
# byte, LICENSE with the project's copyright line, README.txt in code page 932 with CRLF line
# ends; the name carries the version of the resource script and the program's architecture;
# SHA256SUMS lists the zips. The first making stays in OUT_DIR for the tests that start the
# packages.
set -uo pipefail
out=${1:?usage: package_test.sh OUT_DIR BUILD_DIR...}
shift
root=$(cd "$(dirname "$0")/../.." && pwd)
fails=0
fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The version as the resource script writes it, both forms, which must agree.
rc=$root/res/tsutsuri.rc
fixed=$(sed -n 's/^FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3.\4/p' "$rc")
text=$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' "$rc")
[ -n "$fixed" ] && [ "$fixed" = "$text" ] ||
    fail "the resource script's FILEVERSION ($fixed) and FileVersion ($text) differ"
version=$fixed

# The second making: copies of the programs, dated otherwise.
again=()
for b in "$@"; do
    mkdir -p "$tmp/again/$(basename "$b")"
    cp "$b/tsutsuri.exe" "$tmp/again/$(basename "$b")/"
    touch -d '2001-02-03 04:05:06' "$tmp/again/$(basename "$b")/tsutsuri.exe"
    again+=("$tmp/again/$(basename "$b")")
done
rm -rf "$out"
(umask 022 && python3 "$root/tools/dist.py" "$out" "$@") || { fail "dist.py failed"; exit 1; }
(umask 077 && TZ=Pacific/Kiritimati python3 "$root/tools/dist.py" "$tmp/second" "${again[@]}" \
    >/dev/null) || fail "dist.py failed the second time"
for f in "$out"/*; do
    cmp "$f" "$tmp/second/$(basename "$f")" || fail "$(basename "$f") differs between two makings"
done

# Which architecture each build is, from the program's image header.
arch_of() {
    case $(od -An -tx1 -j $(($(od -An -tu4 -j 60 -N4 "$1") + 4)) -N2 "$1" | tr -d ' ') in
    4c01) echo win32 ;;
    6486) echo win64 ;;
    *) echo unknown ;;
    esac
}

expected_files=(SHA256SUMS)
entries=(README.txt LICENSE tsutsuri.exe help/tsutsurin.html)
for b in "$@"; do
    arch=$(arch_of "$b/tsutsuri.exe")
    zip=tsutsuri-$version-$arch.zip
    expected_files+=("$zip")
    [ -f "$out/$zip" ] || { fail "no $zip for $b"; continue; }
    unzip -tq "$out/$zip" >/dev/null || fail "$zip: unzip -t finds it damaged"
    listed=$(unzip -Z1 "$out/$zip" | tr '\n' ' ')
    [ "$listed" = "${entries[*]} " ] || fail "$zip holds: $listed"
    x=$tmp/x-$arch
    unzip -q "$out/$zip" -d "$x" || { fail "$zip does not unpack"; continue; }
    cmp -s "$x/tsutsuri.exe" "$b/tsutsuri.exe" || fail "$zip: tsutsuri.exe is not $b's"
    cmp -s "$x/help/tsutsurin.html" "$root/help/tsutsurin.html" || fail "$zip: another help page"
    sed 's/$/\r/' "$root/LICENSE" | cmp -s - "$x/LICENSE" || fail "$zip: LICENSE is not the project's, in CRLF"
    grep -q '^Copyright (c) 2026 The Tsutsuri developers'$'\r''$' "$x/LICENSE" ||
        fail "$zip: LICENSE lacks the copyright line"
    readme=$x/README.txt
    lf=$(tr -cd '\n' <"$readme" | wc -c)
    crlf=$(grep -c $'\r$' "$readme")
    [ "$lf" -gt 0 ] && [ "$lf" = "$crlf" ] && [ "$(tail -c2 "$readme" | od -An -tx1 | tr -d ' ')" = 0d0a ] ||
        fail "$zip: README.txt has $lf lines, $crlf of them ending in CRLF"
    [ "$(grep -c $'\r.' "$readme")" = 0 ] || fail "$zip: README.txt has a carriage return inside a line"
    words=$(iconv -f CP932 -t UTF-8 "$readme") || fail "$zip: README.txt is not code page 932"
    for want in "Tsutsuri $version" "tsutsuri-$version-win32.zip" "tsutsuri-$version-win64.zip" \
                "tsutsurin.ini" "ダブルクリック" "double-click" "LICENSE"; do
        [[ $words == *"$want"* ]] || fail "$zip: README.txt does not mention $want"
    done
    [ "$lf" -le 70 ] || fail "$zip: README.txt has $lf lines; a short one was meant"
done

made=$(cd "$out" && ls | sort | tr '\n' ' ')
[ "$made" = "$(printf '%s\n' "${expected_files[@]}" | sort | tr '\n' ' ')" ] ||
    fail "$out holds: $made"
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the zips"
[ "$(cut -c67- "$out/SHA256SUMS" | sort | tr '\n' ' ')" = \
  "$(cd "$out" && ls tsutsuri-*.zip | sort | tr '\n' ' ')" ] || fail "SHA256SUMS lists other files"

ls -l "$out"
if [ $fails -gt 0 ]; then echo "package_test: $fails check(s) failed" >&2; exit 1; fi
echo "package_test: passed"
