#!/usr/bin/env bash
# Runs one cross-built test program under the test session's Wine, in a fresh current
# directory of its own: wine-test.sh STATE_DIR PROGRAM.exe [ARGS...]
set -euo pipefail
state=$1; prog=$2; shift 2
run=$(mktemp -d "$state/run.XXXXXX")
cd "$run"
exec "$(dirname "$0")/wine-env.sh" exec "$state" wine "$prog" "$@"
