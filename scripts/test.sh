#!/usr/bin/env bash
# The one test command: installs what is missing, builds everything from scratch if needed
# and runs every test under Wine on a virtual display, in a private Wine prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/setup.sh"
source "$here/wine-env.sh"

qm_build
# The 64-bit test programs build while the 32-bit suite runs: the suite spends most of its time
# waiting on Wine, so the two together take little longer than the suite alone.
build64_log="$QM_BUILD/x64-engine-tests.log"
# (Only the tests: qm_build made the 64-bit program, and its runnable folder is not copied again
# while the suite's setup and package tests read it.)
cmake --build "$QM_BUILD/x64" -j"$(nproc)" --target engine_tests >"$build64_log" 2>&1 &
build64=$!
qm_start_wine_session
cd "$QM_BUILD"
suite=0
ctest --output-on-failure --timeout 600 "$@" || suite=$?
build64_status=0
wait "$build64" || build64_status=$?
if [ "$build64_status" != 0 ]; then
    cat "$build64_log"
    echo "test: the 64-bit build failed" >&2
    exit "$build64_status"
fi
[ "$suite" = 0 ] || exit "$suite"
# The 64-bit build: the tests without windows and the end-to-end test, in a 64-bit prefix.
qm_switch_to_wine64
cd "$QM_BUILD/x64"
ctest --output-on-failure --timeout 600 -L engine "$@"
