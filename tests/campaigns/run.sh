#!/usr/bin/env bash
# The long campaigns, each in a private Wine session of its own:
#
#   tests/campaigns/run.sh BUILD_DIR endurance [SECONDS]   (default 1800: 30 minutes)
#   tests/campaigns/run.sh BUILD_DIR bad_settings
#   tests/campaigns/run.sh BUILD_DIR hostile
#
# BUILD_DIR is the folder `make build` fills (build). The short versions of the same scripts
# run in `make test` as the CTest tests e2e.endurance, e2e.bad_settings and e2e.hostile.
# TSUTSURI_CAMPAIGN_DPI=144 (any LogPixels) runs a campaign on a scaled display: the value is
# set in the session's prefix before its first window.
# The fuzzing campaign: tests/campaigns/fuzz.sh BUILD_DIR [RUNS].
set -euo pipefail
build=$(cd "${1:?usage: run.sh BUILD_DIR endurance|bad_settings|hostile [SECONDS]}" && pwd)
name=${2:?usage: run.sh BUILD_DIR endurance|bad_settings|hostile [SECONDS]}
here=$(cd "$(dirname "$0")" && pwd)
e2e=$here/../e2e
wine_env=$here/../wine/wine-env.sh
script=$e2e/${name}_test.sh
[ -f "$script" ] || { echo "run.sh: no campaign $name" >&2; exit 2; }

state=$(mktemp -d /tmp/tsutsuri-campaign.XXXXXX)
trap '"$wine_env" stop "$state" >/dev/null 2>&1 || true' EXIT
"$wine_env" start "$state"
# The 32-bit program where this machine runs it, else the 64-bit one.
cross=$("$here/../../tools/arches.sh" build "$build")
echo "run.sh: $name against $cross/tsutsuri.exe"
export TSUTSURI_WINE_STATE=$state TSUTSURI_EXE=$cross/tsutsuri.exe
export TSUTSURI_PROBE=$cross/tests/e2e/probe.exe TSUTSURI_ARCH=${cross##*win}
export E2E_ENDURANCE_SECONDS=${3:-1800}
if [ -n "${TSUTSURI_CAMPAIGN_DPI:-}" ]; then
    "$wine_env" exec "$state" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d "$TSUTSURI_CAMPAIGN_DPI" /f </dev/null >/dev/null 2>&1
    echo "run.sh: LogPixels $TSUTSURI_CAMPAIGN_DPI"
fi
# The first window in a new prefix waits for the desktop to settle: pay for it here.
# shellcheck source=../../tools/wine_process.sh
source "$here/../../tools/wine_process.sh"
wine_helper "$wine_env" exec "$state" wine "$TSUTSURI_PROBE" testwin 0 0 64 64 warm-up \
    --seconds 1 </dev/null >/dev/null || true
set +e
bash "$script"
code=$?
set -e
echo "run.sh: $name ended with $code; its folders are under $state"
exit $code
