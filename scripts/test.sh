#!/usr/bin/env bash
# The one test command: installs what is missing, builds everything from scratch if needed
# and runs every test under Wine on a virtual display, in a private Wine prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/setup.sh"
source "$here/wine-env.sh"

qm_build
qm_contain_user_data
qm_prefix "$QM_BUILD/wineprefix"
trap qm_stop_all EXIT
qm_start_display
# One persistent server for the whole run, so every test program starts in well under a second
# (a server left over from an interrupted run is ended first).
wineserver -k >/dev/null 2>&1 || true
wineserver -p
# Start Wine's own services now, so they do not inherit (and hold open) the output of a test.
wineboot >/dev/null 2>&1
cd "$QM_BUILD"
ctest --output-on-failure --timeout 600 "$@"
