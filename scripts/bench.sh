#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine and writes their report to bench/REPORT.md.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/setup.sh"
source "$here/wine-env.sh"
qm_build
qm_start_wine_session
report="$QM_ROOT/bench/REPORT.md"
{
    wine "$QM_BUILD/bench/scan_bench.exe" | grep -v '^Making'
    echo
    wine "$QM_BUILD/bench/clean_bench.exe"
    echo
    wine "$QM_BUILD/bench/page_bench.exe" | grep -v '^Making'
    echo
    echo "Machine: $(nproc) cores, $(wine --version), measured $(date -u +%Y-%m-%d)."
} | tr -d '\r' >"$report.tmp"
mv "$report.tmp" "$report"
# The cleaning benchmark's files are made afresh each run.
rm -rf "$WINEPREFIX/drive_c/users/"*/Temp/quillmoor-clean-bench
cat "$report"
