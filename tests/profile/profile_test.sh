#!/usr/bin/env bash
# A new user's first scan with the factory settings on a generated Windows 10/11 profile, in a
# fresh Wine prefix of this test's own (build/profile-prefix, no Z: drive, the user's folders real
# folders inside the prefix): browser caches of several profiles for each browser, Windows caches
# and error reports, application and package caches and the temporary folders, with the user's own
# files beside them, some named like junk (tests/profile/*.list). The built program with its
# factory config.xml and shipped rules, copied into the prefix, writes a /report of the user's
# Documents; the report must list at least 95 % of the junk bytes and not one of the user's files.
# Two users of different kinds go through it one after the other in the same prefix: the first
# (tests/profile/*.list) browses, works and keeps the usual applications; the second
# (tests/profile/second/) games and develops, with Electron and Store apps, Gecko browsers, game
# launchers and developer tools whose caches no rule names, and traps beside each kind of cache
# (settings, saves, cookies and storage, a folder named Cache in the documents, a cache-shaped
# folder without the engine's layout, a cache reached through a link).
# Usage (ctest): profile_test.sh <build folder>
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# Wine's console output ends its lines with CR LF.
win() { wine "$@" | tr -d '\r'; }

[ -f "$build/dist/Quillmoor.exe" ] || fail "no $build/dist/Quillmoor.exe"

# A prefix of our own has a wineserver of its own, apart from the test session's; it is ended
# with the test.
prefix=$build/profile-prefix
rm -rf "$prefix"
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
qm_prefix "$prefix"
cd "$prefix/drive_c"

IFS=';' read -r localAppData appData profile temp windir programData < <(
    win cmd /c 'echo %LOCALAPPDATA%;%APPDATA%;%USERPROFILE%;%TEMP%;%WINDIR%;%PROGRAMDATA%')
variables=("LocalAppData=$localAppData" "AppData=$appData" "LocalLowAppData=$profile\\AppData\\LocalLow"
    "UserProfile=$profile" "Temp=$temp" "WinDir=$windir" "ProgramData=$programData")

cp -r "$build/dist" "$prefix/drive_c/Quillmoor"

failed=0
for lists in "$here" "$here/second"; do
    user=$(basename "$lists")
    [ "$lists" = "$here" ] && user=first
    python3 "$here/profile.py" make "$prefix/drive_c" "$lists" "${variables[@]}" || fail "the $user profile was not made"
    start=$(date +%s%N)
    win 'C:\Quillmoor\Quillmoor.exe' /report "C:\\profile-report-$user.csv" "$profile\\Documents" ||
        fail "/report ended with $? for the $user user"
    scanned=$(date +%s%N)
    # A bare listing of the same folders, for comparison in the benchmark report (its exit code
    # only says whether a folder held no file).
    win cmd /c "dir /s /b /a-d \"$profile\" \"$windir\\Temp\" \"$windir\\SoftwareDistribution\" \"$windir\\Logs\" \"$programData\" >nul 2>&1" || true
    listed=$(date +%s%N)
    echo "$user user: scan with the factory settings: $(((scanned - start) / 1000000)) ms;" \
        "bare listing of the profile's folders: $(((listed - scanned) / 1000000)) ms"
    python3 "$here/profile.py" check "$prefix/drive_c" "$lists" "$prefix/drive_c/profile-report-$user.csv" \
        "${variables[@]}" || { echo "FAILED: the $user user's report missed junk or listed a file it must not" >&2; failed=1; }
    python3 "$here/profile.py" remove "$prefix/drive_c" "$lists" "${variables[@]}"
done
[ "$failed" = 0 ] || exit 1
