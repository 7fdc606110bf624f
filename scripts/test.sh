#!/usr/bin/env bash
# The one test command: installs what is missing, builds everything from scratch if needed
# and runs every test under Wine on a virtual display, in a private Wine prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/setup.sh"
source "$here/wine-env.sh"

qm_build
qm_build64 engine_tests
qm_start_wine_session
cd "$QM_BUILD"
ctest --output-on-failure --timeout 600 "$@"
# The 64-bit build: the tests without windows and the end-to-end test, in a 64-bit prefix.
qm_switch_to_wine64
cd "$QM_BUILD/x64"
ctest --output-on-failure --timeout 600 -L engine "$@"
