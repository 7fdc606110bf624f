#!/usr/bin/env bash
# Builds dist/ (the runnable folder of the program).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/setup.sh"
source "$here/wine-env.sh"
qm_build
echo "Built $QM_BUILD/dist:"
ls "$QM_BUILD/dist"
