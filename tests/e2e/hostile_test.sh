#!/usr/bin/env bash
# A bare or hostile machine: no sound device, the Windows 98 family, a current directory
# longer than 255 characters, no help page, a second copy started while the about dialog is
# open, and a desktop without a taskbar (a read-only current directory: readonly_test.sh).
# Each time the program keeps running, leaves through the exit command with code 0, keeps what
# it had written and reports only what it should.
# Once where both run: each case is the program's own decision on a call that fails or a path
# longer than its buffer, the same calls and buffers in both builds; the failing device and
# the second copy's notice are checked for both by no_sound_device_test.sh and
# single_instance_test.sh.
source "$(dirname "$0")/lib.sh"
e2e_begin

app_key='HKCU\Software\Wine\AppDefaults\tsutsuri.exe'
clear_app_defaults() { wine reg delete "$app_key" /f </dev/null >/dev/null 2>&1 || true; }

# exit_via_menu NAME: the exit command, then the verdict on the exit code.
exit_via_menu() {
    e2e_probe command 40006 >/dev/null
    if e2e_wait_exit; then
        e2e_expect_eq "$1: exit code" 0 "$E2E_EXIT_CODE"
    else
        e2e_fail "$1: still running after the exit command"
        e2e_stop
    fi
}

# dialogs: the number of visible message boxes or dialogs on the desktop.
dialogs() {
    e2e_probe windows | awk -F= '/_class=/ && $2 == "#32770" { n++ } END { print n + 0 }'
}

# ---- no sound device: the engine fails, the simple player takes over --------------------
clear_app_defaults
for driver in winealsa.drv winepulse.drv wineoss.drv; do
    wine reg add "$app_key\\DllOverrides" /v "$driver" /d "" /f </dev/null >/dev/null 2>&1
done
dir=$(e2e_new_dir)
e2e_ini_free_at "$dir" 100 100
if e2e_start "$dir"; then
    e2e_poll 10 grep -q 'Failed' "$dir/supinfo.txt" 2>/dev/null
    e2e_expect_eq "no sound: the support file names the failure" 1 \
        "$(grep -c 'Failed' "$dir/supinfo.txt" 2>/dev/null || echo 0)"
    e2e_ticks 8   # time for a dialog to come, or for the copy to fall over, if either would
    e2e_expect_eq "no sound: still running" 0 "$(e2e_running; echo $?)"
    e2e_expect_eq "no sound: no dialog" 0 "$(dialogs)"
    exit_via_menu "no sound"
    e2e_expect_eq "no sound: water sound written off" 0 \
        "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts etc_water)"
else
    e2e_fail "no sound: no window"
fi
clear_app_defaults

# ---- the Windows 98 family (the 32-bit program only: the 64-bit one has no such form) -----
if e2e_has_win9x_form; then
    wine reg add "$app_key" /v Version /d win98 /f </dev/null >/dev/null 2>&1
    dir=$(e2e_new_dir)
    e2e_ini_free_at "$dir" 100 100
    if e2e_start "$dir"; then
        e2e_ticks 16   # two CPU samples and more
        e2e_expect_eq "win98: still running" 0 "$(e2e_running; echo $?)"
        exit_via_menu "win98"
        e2e_expect_eq "win98: settings saved" 100 "$(e2e_ini_get "$dir/tsutsurin.ini" Winpos Xpos)"
    else
        e2e_fail "win98: no window"
    fi
    clear_app_defaults
else
    e2e_log "win98: not a case for the 64-bit program"
fi

# ---- a current directory longer than 255 characters ------------------------------------
# 257 characters as Windows spells it ("Z:" and the Unix path of 255): longer than the 255
# the program asks for, within the 258 that Windows (and Wine) allow a current directory. It
# is made from a short base under /tmp, so that it has that length wherever the build lies:
# Wine starts a program whose Unix directory is much longer in C:\windows instead.
readonly LongDirLength=255
long_base=$(mktemp -d /tmp/tsutsuri-long.XXXXXX)
trap 'rc=$?; rm -rf "$long_base"; (exit $rc); e2e_cleanup' EXIT
long=$long_base/$(printf 'd%.0s' $(seq 90))/$(printf 'e%.0s' $(seq 90))
if [ ${#long} -ge $((LongDirLength - 1)) ]; then
    e2e_log "long directory: not tried, /tmp itself is too deep ($long_base)"
else
    long=$long/$(printf 'f%.0s' $(seq $((LongDirLength - ${#long} - 1))))
    mkdir -p "$long"
    e2e_ini_free_at "$long" 100 100
    windows_ini=$WINEPREFIX/drive_c/windows/tsutsurin.ini
    rm -f "$windows_ini"
    if e2e_start "$long"; then
        exit_via_menu "long directory"
        e2e_expect_eq "long directory: ${#long} characters" $LongDirLength ${#long}
        e2e_expect_eq "long directory: settings saved where it started" 2 \
            "$(e2e_ini_get "$long/tsutsurin.ini" Runsts snd_vol)"
        e2e_expect_eq "long directory: saved at exit" 15 \
            "$(e2e_ini_get "$long/tsutsurin.ini" Kand cpu0)"
        e2e_expect_eq "long directory: nothing in the Windows folder" "" \
            "$(ls "$windows_ini" 2>/dev/null)"
    else
        e2e_fail "long directory (${#long} characters): no window"
    fi
    rm -f "$windows_ini"
fi

# ---- no help page; then a second copy while the about dialog is open --------------------
dir=$(e2e_new_dir)
e2e_ini_free_at "$dir" 100 100
if e2e_start "$dir"; then
    e2e_probe command 40016 >/dev/null
    e2e_ticks 8
    e2e_expect_eq "no help: still running" 0 "$(e2e_running; echo $?)"
    e2e_expect_eq "no help: nothing reported" 0 "$(dialogs)"

    e2e_probe command 40015 >/dev/null
    e2e_probe_read about --timeout 10000
    e2e_expect_eq "about open" 1 "${PROBE[count]}"
    first=$E2E_PID
    e2e_launch "$(e2e_new_dir)"
    second=$E2E_LAUNCHED_PID
    e2e_probe_read msgbox --timeout 20000
    e2e_expect_eq "second copy: its message" \
        "$(e2e_hex '既に 『Tsutsuri』 が起動しています、\r\n『Tsutsuri』 は同時に一つだけ起動できます。')" \
        "${PROBE[text_hex]}"
    e2e_probe msgbox-ok >/dev/null
    if e2e_wait_exit "$second"; then
        e2e_expect_eq "second copy: exit code" 0 "$E2E_EXIT_CODE"
    else
        e2e_fail "second copy still running"
    fi
    e2e_expect_eq "first copy still running" 0 "$(e2e_running "$first"; echo $?)"
    e2e_probe_read about
    e2e_expect_eq "about still open" 1 "${PROBE[count]}"
    e2e_probe command 1 --class '#32770' --title-hex "$(e2e_hex 'Tsutsuri について')" >/dev/null
    e2e_probe_read find --visible --timeout 5000
    e2e_expect_eq "window back after the about dialog" 1 "${PROBE[found]}"
    E2E_PID=$first
    exit_via_menu "about and a second copy"
else
    e2e_fail "help: no window"
fi

# ---- a desktop without a taskbar ------------------------------------------------------
# Wine shows a taskbar only on the desktop named "shell"; a desktop of another name has none.
# The program and the probe both run inside it through explorer, which hides their exit
# codes: a normal end shows in the settings saved at exit.
dir=$(e2e_new_dir)
e2e_ini_free_at "$dir" 100 100
bare=(explorer "/desktop=bare,800x600")
(cd "$dir" && exec wine "${bare[@]}" "$TSUTSURI_EXE") </dev/null >>"$dir/wine.log" 2>&1 &
bare_pid=$!
bare_probe() {
    wine_helper timeout 60 wine "${bare[@]}" "$TSUTSURI_PROBE" "$@" </dev/null >/dev/null
}
# The copy in there is explorer's child, not ours: it is known by its folder.
bare_copies() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(cat "$p/comm" 2>/dev/null)" = tsutsuri.exe ] || continue
        [ "$(readlink "$p/cwd" 2>/dev/null)" = "$dir" ] && echo "${p#/proc/}"
    done
    return 0
}
# A new desktop makes its first program wait: allow a slow machine a minute.
for ((i = 0; i < 300; i++)); do
    [ -n "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts snd_vol)" ] && break
    sleep 0.2
done
if [ -n "$(e2e_ini_get "$dir/tsutsurin.ini" Runsts snd_vol)" ]; then
    e2e_ticks 8
    # The probe's explorer stays as long as the desktop does: it is not waited for.
    bare_probe command 40006 &
    bare_probe_pid=$!
    for ((i = 0; i < 100; i++)); do
        [ -n "$(e2e_ini_get "$dir/tsutsurin.ini" Kand cpu0)" ] && break
        sleep 0.2
    done
    e2e_expect_eq "no taskbar: ended through the exit command and saved" 15 \
        "$(e2e_ini_get "$dir/tsutsurin.ini" Kand cpu0)"
else
    e2e_fail "no taskbar: the program did not start"
fi
# A copy left running would hold the single-instance mutex, and every later copy in the
# session would only say that one is already running: it is ended here whatever happened.
for ((i = 0; i < 100; i++)); do [ -n "$(bare_copies)" ] || break; sleep 0.1; done
left=$(bare_copies)
if [ -n "$left" ]; then
    e2e_screenshot "$TSUTSURI_WINE_STATE/$E2E_NAME.bare.failed.png" 2>/dev/null || true
    e2e_fail "no taskbar: a copy still runs at the end (screen: $E2E_NAME.bare.failed.png)"
    # shellcheck disable=SC2086
    kill $left 2>/dev/null || true
fi
# The bare desktop's explorers outlive its last window by seconds: they are ours to end now.
kill "$bare_pid" ${bare_probe_pid:-} 2>/dev/null || true
wait "$bare_pid" ${bare_probe_pid:-} 2>/dev/null || true

e2e_finish
