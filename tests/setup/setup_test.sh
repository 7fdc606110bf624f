#!/usr/bin/env bash
# QuillmoorSetup.exe as an administrator deploys it, in a fresh Wine prefix of this test's own
# (build/setup-prefix, no Z: drive, the user's folders real folders inside the prefix):
#   1. a silent install: the files, the uninstall entry, the Start-menu shortcut, the log
#      component created through its ProgID;
#   2. the installed program starts and shows its window; while it runs, a silent setup and a
#      silent uninstall refuse with exit code 2; it ends when its window is closed;
#   3. a silent upgrade with /DESKTOP over a changed config.xml, a restore point and a log: those
#      stay exactly as they were, the program files are renewed, the desktop shortcut comes;
#   4. the silent uninstall the uninstall entry names: only the restore points and the log stay.
# Usage (ctest): setup_test.sh <build folder> <setup_probe.exe>
set -euo pipefail
build=$1
probe=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# Wine's console output ends its lines with CR LF.
win() { wine "$@" | tr -d '\r'; }
same() { [ "${1,,}" = "${2,,}" ]; }  # Windows paths compare without regard to case

[ -n "${DISPLAY:-}" ] || fail "no display (run through scripts/test.sh)"
[ -f "$build/QuillmoorSetup.exe" ] || fail "no $build/QuillmoorSetup.exe"

# A prefix of our own has a wineserver of its own, apart from the test session's; it is ended
# with the test.
prefix=$build/setup-prefix
rm -rf "$prefix"
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
# Sealed like every prefix: no Z:, and the user's shell folders are folders of the prefix.
qm_prefix "$prefix"
cd "$prefix/drive_c"
cp "$build/QuillmoorSetup.exe" "$probe" "$prefix/drive_c/"
saved=$prefix/saved
mkdir "$saved"

# 1. Silent install.
win 'C:\QuillmoorSetup.exe' /S || fail "silent install ended with $?"

IFS=';' read -r localAppData appData profile < <(win cmd /c 'echo %LOCALAPPDATA%;%APPDATA%;%USERPROFILE%')
install="$localAppData\\Programs\\Quillmoor"
dir=$(win winepath -u "$install")
startMenuLink="$appData\\Microsoft\\Windows\\Start Menu\\Programs\\Quillmoor.lnk"
desktopLink="$profile\\Desktop\\Quillmoor.lnk"
[ -d "$dir" ] || fail "nothing installed in $install"
for file in Quillmoor.exe Logwright.dll Quillmoor.language Quillmoor.rules config.xml Quillmoor.chm; do
    cmp -s "$build/dist/$file" "$dir/$file" || fail "$file is not the one of dist/"
done
[ -f "$dir/Uninstall.exe" ] || fail "no Uninstall.exe"

declare -A entry
while IFS='|' read -r name type data; do
    entry[$name]="$type $data"
done < <(win reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoor' |
    sed -n 's/^    \([A-Za-z]*\)    \(REG_[A-Z]*\)    \(.*\)$/\1|\2|\3/p')
{ read -r productVersion; read -r company; } < <(win 'C:\setup_probe.exe' version "$install\\Quillmoor.exe")
kilobytes=$(( ($(stat -c %s "$dir"/* | paste -sd+)) / 1024 ))
expect() {
    same "${entry[$1]:-missing}" "$2" || fail "uninstall entry $1 is '${entry[$1]:-missing}', not '$2'"
}
expect DisplayName "REG_SZ Quillmoor"
expect DisplayVersion "REG_SZ $productVersion"
expect Publisher "REG_SZ $company"
expect DisplayIcon "REG_SZ $install\\Quillmoor.exe"
expect InstallLocation "REG_SZ $install"
expect UninstallString "REG_SZ \"$install\\Uninstall.exe\""
expect QuietUninstallString "REG_SZ \"$install\\Uninstall.exe\" /S"
expect EstimatedSize "REG_DWORD $(printf '0x%x' "$kilobytes")"
expect NoModify "REG_DWORD 0x1"
expect NoRepair "REG_DWORD 0x1"

target=$(win 'C:\setup_probe.exe' shortcut "$startMenuLink") || fail "no Start-menu shortcut"
same "$target" "$install\\Quillmoor.exe" || fail "the Start-menu shortcut leads to $target"
[ ! -e "$(win winepath -u "$desktopLink")" ] || fail "a desktop shortcut nobody asked for"

loaded=$(win 'C:\setup_probe.exe' log) || fail "the log component cannot be created by its ProgID"
same "$loaded" "$install\\Logwright.dll" || fail "the ProgID leads to $loaded"

# 2. The program runs; setup and uninstall leave it alone.
codes=$(win 'C:\setup_probe.exe' run "$install\\Quillmoor.exe" 'C:\QuillmoorSetup.exe /S' \
    "\"$install\\Uninstall.exe\" /S _?=$install" | paste -sd' ') || fail "the installed program did not run"
[ "$codes" = "2 2 2" ] ||
    fail "setup, uninstall and the closed program ended with $codes, not 2 (refused), 2 (refused), 2 (closed)"

# 3. Upgrade over the user's data.
echo '<!-- the user was here -->' >> "$dir/config.xml"
mkdir -p "$dir/Backup/2025-01-31_08-05-09/C" "$dir/Log/Data"
echo "the only copy" > "$dir/Backup/2025-01-31_08-05-09/C/x.txt"
echo "an entry" > "$dir/Log/Data/entries"
cp -a "$dir/config.xml" "$dir/Backup" "$dir/Log" "$saved/"
: > "$dir/Quillmoor.language"
# Names, sizes, times and contents of what must stay.
unchanged() {
    for item in "$@"; do
        diff -r "$saved/$item" "$dir/$item" >/dev/null || return 1
        [ "$(cd "$saved" && find "$item" -printf '%p %s %T@\n' | sort)" = \
          "$(cd "$dir" && find "$item" -printf '%p %s %T@\n' | sort)" ] || return 1
    done
}
win 'C:\QuillmoorSetup.exe' /S /DESKTOP || fail "silent upgrade ended with $?"
unchanged config.xml Backup Log || fail "the upgrade changed config.xml, the restore points or the log"
cmp -s "$build/dist/Quillmoor.language" "$dir/Quillmoor.language" || fail "the upgrade kept an old program file"
target=$(win 'C:\setup_probe.exe' shortcut "$desktopLink") || fail "no desktop shortcut after /DESKTOP"
same "$target" "$install\\Quillmoor.exe" || fail "the desktop shortcut leads to $target"

# 4. Silent uninstall, as the uninstall entry says. The uninstaller goes on in a copy of itself
# after Uninstall.exe returns; the prefix's wineserver ends once it is done.
win "$install\\Uninstall.exe" /S || fail "silent uninstall ended with $?"
wineserver -w
[ -d "$dir" ] || fail "the uninstall removed the restore points and the log"
left=$(cd "$dir" && ls -A | paste -sd' ')
[ "$left" = "Backup Log" ] || fail "the uninstall left '$left' in the program folder"
unchanged Backup Log || fail "the uninstall changed the restore points or the log"
for link in "$startMenuLink" "$desktopLink"; do
    [ ! -e "$(win winepath -u "$link")" ] || fail "the uninstall left $link"
done
! win reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoor' >/dev/null 2>&1 ||
    fail "the uninstall left its entry"
! win 'C:\setup_probe.exe' log >/dev/null 2>&1 || fail "the log component is still registered"
echo "setup: install, upgrade and uninstall as expected"
