#!/usr/bin/env bash
# The one test command: installs what is missing, builds everything from scratch if needed
# and runs every test under Wine on a virtual display, in a private Wine prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/setup.sh"
source "$here/wine-env.sh"

qm_build
qm_start_wine_session
cd "$QM_BUILD"
ctest --output-on-failure --timeout 600 "$@"
