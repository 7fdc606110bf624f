#!/usr/bin/env bash
# Runs a test program on a screen of the given DPI: in a Wine prefix of its own
# (build/dpi<dpi>-prefix, made once and sealed like every prefix) whose user setting LogPixels
# says so, with its own wineserver, on the test run's display. The program learns the DPI it
# should find from QM_TEST_DPI.
# Usage (ctest): at_dpi.sh <build folder> <dpi> <program> [arguments...]
set -euo pipefail
build=$1
dpi=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"

[ -n "${DISPLAY:-}" ] || { echo "FAILED: no display (run through scripts/test.sh)" >&2; exit 1; }
prefix=$build/dpi$dpi-prefix
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
qm_prefix "$prefix"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
QM_TEST_DPI=$dpi wine "$@"
