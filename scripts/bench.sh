#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine and writes their report to bench/REPORT.md.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/setup.sh"
source "$here/wine-env.sh"
# QM_BENCH_NO_BUILD=1 measures what the last build made, without building again.
[ -n "${QM_BENCH_NO_BUILD:-}" ] || { qm_build && cmake --build "$QM_BUILD" -j"$(nproc)" --target benchmarks; }
qm_start_wine_session
report="$QM_ROOT/bench/REPORT.md"

# Runs the named program in a Wine desktop window ("add"), or no longer ("delete").
qm_bench_desktop() {
    local key="HKCU\\Software\\Wine\\AppDefaults\\$2\\Explorer"
    if [ "$1" = add ]; then
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v QuillmoorBench /d 1280x1024 /f >/dev/null 2>&1
        wine reg add "$key" /v Desktop /d QuillmoorBench /f >/dev/null 2>&1
    else
        wine reg delete "HKCU\\Software\\Wine\\AppDefaults\\$2" /f >/dev/null 2>&1 || true
        wine reg delete 'HKCU\Software\Wine\Explorer\Desktops' /v QuillmoorBench /f >/dev/null 2>&1 || true
        # The list of desktops goes too when nothing else is in it.
        if ! wine reg query 'HKCU\Software\Wine\Explorer\Desktops' 2>/dev/null | grep -q 'REG_'; then
            wine reg delete 'HKCU\Software\Wine\Explorer\Desktops' /f >/dev/null 2>&1 || true
        fi
    fi
}
{
    wine "$QM_BUILD/bench/scan_bench.exe" | grep -v '^Making'
    echo
    wine "$QM_BUILD/bench/clean_bench.exe"
    echo
    wine "$QM_BUILD/bench/rules_bench.exe"
    echo
    # The application data tree (about 200,000 files) is made once through Wine and kept.
    wine "$QM_BUILD/bench/structure_bench.exe" "\\\\?\\unix$(printf '%s' "$QM_ROOT/data/Quillmoor.rules" | tr / '\\\\')" |
        grep -v '^Making'
    echo
    wine "$QM_BUILD/bench/page_bench.exe" | grep -v '^Making'
    echo
    # The report page's status window comes and goes with every fill. With no window manager on
    # the virtual display, Wine waits 2 s for one whenever a shown top-level window is hidden;
    # in a Wine desktop window of its own the program's windows behave as on Windows.
    echo "# Results model and report page benchmark"
    echo
    # The trees of 100,000 and 1,000,000 small files are made once, on the host side, with 100
    # files a folder and with 10: the fewer files a folder holds, the more of a walk is waiting
    # for the file system, and the more the listing workers gain.
    qm_bench_desktop add report_bench.exe
    for tree in 100000 1000000 100000-10 1000000-10; do
        python3 "$QM_ROOT/bench/make_tree.py" "$WINEPREFIX/drive_c/qm-bench-$tree" ${tree/-/ }
        wine "$QM_BUILD/bench/report_bench.exe" "C:\\qm-bench-$tree"
        echo
    done
    qm_bench_desktop delete report_bench.exe
    echo "(Run in a Wine desktop window of its own, 1280x1024.)"
    echo
    echo "Machine: $(nproc) cores, $(wine --version), measured $(date -u +%Y-%m-%d)."
    echo
    # Ways of listing the same two trees, side by side; it fails when the variants disagree on
    # what they counted.
    echo "# Listing benchmark"
    echo
    for files in 100000 1000000; do
        python3 "$QM_ROOT/bench/make_tree.py" "$WINEPREFIX/drive_c/qm-bench-$files" "$files"
        wine "$QM_BUILD/bench/listing_bench.exe" "C:\\qm-bench-$files"
        echo
    done
    echo "Machine: $(nproc) cores, shared with other work, so single rounds are noisy; $(wine --version)," \
        "measured $(date -u +%Y-%m-%d)."
} | tr -d '\r' >"$report.tmp"
mv "$report.tmp" "$report"
# The cleaning benchmark's files are made afresh each run.
rm -rf "$WINEPREFIX/drive_c/users/"*/Temp/quillmoor-clean-bench
cat "$report"
