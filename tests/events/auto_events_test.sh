#!/usr/bin/env bash
# "/auto" of the built program under this user's policy, run in the test prefix with Wine's event
# log trace on (WINEDEBUG=+eventlog): Wine writes no event log, but traces every ReportEventW call
# with its event id and inserted texts, which this test reads. The run cleans only a folder the test
# makes for itself; the system locations are off in its config.xml and by policy.
#     auto_events_test.sh <dist folder>
set -euo pipefail
dist=$(cd "$1" && pwd)
[ -n "${WINEPREFIX:-}" ] || { echo "no test prefix (WINEPREFIX)"; exit 1; }
name=qm-events-$$
dir=$WINEPREFIX/drive_c/$name
win=C:\\$name
key='HKCU\Software\Policies\Quillmoor'
fail() { echo "FAILED: $*"; exit 1; }
cleanup() {
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    cd /
    rm -rf "$dir" "$dir.trace"
}
trap cleanup EXIT

# The program in a folder of its own: a root inside the program's folder is never searched.
mkdir -p "$dir/junk/keep" "$dir/program"
cd "$dir"
cp "$dist/Quillmoor.exe" "$dist/Quillmoor.language" "$dir/program/"
# No system location searches the prefix's own folders; the backup goes where the policy says.
sed -e 's/<\(Find[A-Za-z]*\) checked="1"/<\1 checked="0"/' -e 's/<Backup \(.*\) checked="1"/<Backup \1 checked="0"/' \
    "$dist/config.xml" >"$dir/program/config.xml"
grep -q '<FindTemp checked="0"' "$dir/program/config.xml" || fail "the test's config.xml still searches the temporary folder"
printf 'junk1' >"$dir/junk/a.tmp"
printf 'junk22' >"$dir/junk/b.dmp"
printf 'old' >"$dir/junk/c.bak"
printf 'skip' >"$dir/junk/keep/d.tmp"
printf 'mine' >"$dir/junk/e.txt"

wine reg add "$key" /v FindTemp /t REG_DWORD /d 0 /f >/dev/null
wine reg add "$key" /v FindIETemp /t REG_DWORD /d 0 /f >/dev/null
wine reg add "$key" /v AlwaysBackup /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$key" /v BackupFolder /t REG_SZ /d "$win\\OrgBackup" /f >/dev/null
wine reg add "$key" /v AddedPatterns /t REG_MULTI_SZ /d '*.bak' /f >/dev/null
wine reg add "$key" /v AddedSkipFolders /t REG_MULTI_SZ /d 'keep' /f >/dev/null
# A value of the wrong type is ignored, never a failure.
wine reg add "$key" /v RecycleBinOnly /t REG_SZ /d yes /f >/dev/null

trace=$dir.trace
code=0
WINEDEBUG=+eventlog wine "$win\\program\\Quillmoor.exe" /auto "$win\\junk" >/dev/null 2>"$trace" || code=$?
[ "$code" = 0 ] || { cat "$trace" | tail -20; fail "/auto ended with $code"; }

# What the run did on disk: the organisation's pattern and skip folder, the restore point where it said.
[ ! -e "$dir/junk/a.tmp" ] && [ ! -e "$dir/junk/b.dmp" ] && [ ! -e "$dir/junk/c.bak" ] || fail "junk left in $dir/junk"
[ -f "$dir/junk/keep/d.tmp" ] && [ -f "$dir/junk/e.txt" ] || fail "the run removed what it had to keep"
point=$(cd "$dir/OrgBackup" && ls)
[ "$(echo "$point" | wc -l)" = 1 ] && [ -n "$point" ] || fail "no single restore point in OrgBackup: '$point'"

# The event: its id in the ReportEventW line, its inserted texts one trace line each.
grep -q 'ReportEventW.*0x000003e8' "$trace" || { grep -i event "$trace" | head; fail "no event 1000 in the trace"; }
texts=$(sed -n 's/^.*trace:eventlog:ReportEventW L"\(.*\)"$/\1/p' "$trace")
# Wine's trace writes each backslash of a text twice.
restorePoint=$(printf '%s' "$win\\OrgBackup\\$point" | sed 's/\\/\\\\/g')
# The trigger, 3 removed (into the restore point on the same volume), none recycled, kept or
# failed, no byte freed (a move into a restore point frees nothing), and the restore point.
expected="command line
3
0
0
0
0
$restorePoint"
[ "$texts" = "$expected" ] || { printf 'trace:\n%s\n' "$texts"; fail "the event's texts are not the run's"; }
rm -f "$trace"
echo "event 1000 with: $(echo "$texts" | paste -sd'|')"
