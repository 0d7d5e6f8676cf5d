#!/usr/bin/env bash
# WM_CLOSE, as the window manager sends it, ends the program with exit code 0 and leaves
# no window behind.
source "$(dirname "$0")/lib.sh"
e2e_begin

e2e_require "window shows" e2e_start
e2e_probe_read close
e2e_expect_eq "WM_CLOSE posted" 1 "${PROBE[posted]}"
if e2e_wait_exit; then
    e2e_expect_eq "exit code" 0 "$E2E_EXIT_CODE"
else
    e2e_fail "still running ${E2E_EXIT_TIMEOUT_S} s after WM_CLOSE"
fi
e2e_probe_read wait-gone --timeout 2000
e2e_expect_eq "window gone" 1 "${PROBE[gone]}"
e2e_finish
