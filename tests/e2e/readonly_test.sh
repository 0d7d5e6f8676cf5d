#!/usr/bin/env bash
# A read-only current directory: the program keeps running, a setting change whose write is
# lost shows nothing, the exit command ends it with code 0, and the settings file is as it was.
# The folder and its file are made unwritable by their mode, and for root, whom the mode does
# not stop, also by the immutable attribute; where neither holds the case is skipped.
source "$(dirname "$0")/lib.sh"
e2e_begin

dir=$(e2e_new_dir)
e2e_ini_free_at "$dir" 100 100
before=$(md5sum <"$dir/tsutsurin.ini")

writable_again() {
    chattr -i "$dir/tsutsurin.ini" "$dir" 2>/dev/null || true
    chmod u+w "$dir" "$dir/tsutsurin.ini"
}
# The session's next start removes this folder: it must be writable again whatever happens.
trap 'rc=$?; writable_again; (exit $rc); e2e_cleanup' EXIT
chmod a-w "$dir/tsutsurin.ini" "$dir"
[ "$(id -u)" != 0 ] || chattr +i "$dir/tsutsurin.ini" "$dir" 2>/dev/null || true
if touch "$dir/tsutsurin.ini" 2>/dev/null || (: >"$dir/new") 2>/dev/null; then
    e2e_skip "no way to make a folder unwritable here (root without the immutable attribute)"
fi

# dialogs: the number of visible message boxes or dialogs on the desktop.
dialogs() {
    e2e_probe windows | awk -F= '/_class=/ && $2 == "#32770" { n++ } END { print n + 0 }'
}

# Started by hand: the program's output cannot go to a file in its own directory here.
e2e_launch_exe "$TSUTSURI_EXE" "$dir" "$dir.log"
E2E_PID=$E2E_LAUNCHED_PID
e2e_require "window shows" e2e_wait_window
e2e_probe command 40043 >/dev/null   # a setting change: its write is lost quietly
e2e_ticks 8                          # time for a dialog to come, if one would
e2e_expect_eq "no dialog" 0 "$(dialogs)"
e2e_expect_eq "still running" 0 "$(e2e_running; echo $?)"
e2e_probe command 40006 >/dev/null
if e2e_wait_exit; then
    e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
else
    e2e_fail "still running after the exit command"
fi
e2e_expect_eq "the file is as it was" "$before" "$(md5sum <"$dir/tsutsurin.ini")"
e2e_finish
