#!/usr/bin/env bash
# Installs what building and testing Tsutsuri needs on Debian 12, and nothing when it is all there.
# Used by `make run` and `make test`; safe to run again.
set -euo pipefail

need_cmds=(i686-w64-mingw32-g++-posix i686-w64-mingw32-windres x86_64-w64-mingw32-g++-posix
           x86_64-w64-mingw32-windres as ld cmake g++ clang++ wine Xvfb xdotool import xwd
           chromium python3 unzip)
need_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
           binutils-mingw-w64-x86-64 mingw-w64-tools binutils cmake make g++ clang
           libgtest-dev libgmock-dev googletest valgrind
           wine wine32:i386 wine64 xvfb xdotool imagemagick x11-apps x11-utils
           fonts-ipafont-gothic fonts-ipafont-mincho procps locales chromium python3 unzip)

missing=()
for c in "${need_cmds[@]}"; do command -v "$c" >/dev/null 2>&1 || missing+=("$c"); done
[ -f /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf ] || missing+=(fonts-ipafont-gothic)
[ -e /usr/lib/i386-linux-gnu/wine ] || [ -e /usr/lib/wine/wine ] || missing+=(wine32)
# The 64-bit loader, by its path: it runs where no 32-bit program can (tools/arches.sh).
[ -x /usr/lib/wine/wine64 ] || missing+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
# Wine takes its ANSI code page from the locale: without ja_JP.UTF-8 it is not 932.
locale -a 2>/dev/null | grep -qix "ja_JP.utf8" || missing+=(ja_JP.UTF-8-locale)
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi

echo "install-deps: missing: ${missing[*]}"
if [ ! -r /etc/debian_version ]; then
  echo "install-deps: this is not Debian; install by hand: ${need_pkgs[*]}" >&2
  exit 1
fi
if [ "$(id -u)" != 0 ]; then
  echo "install-deps: run as root, or install by hand: apt-get install ${need_pkgs[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null
if ! locale -a 2>/dev/null | grep -qix "ja_JP.utf8"; then
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
echo "install-deps: done"
