#!/usr/bin/env bash
# QuillmoorSetup.exe as an administrator deploys it, in a fresh Wine prefix of this test's own
# (build/setup-prefix, no Z: drive, the user's folders real folders inside the prefix):
#   0. an install into the user's documents, which hold files of the names Quillmoor keeps
#      (config.xml, Backup, Log): interactive, the setup says why and shows the folder page again;
#      silent, it ends with exit code 3; either way nothing is written anywhere;
#   1. a silent install: the files and translations, the uninstall entry, the Start-menu shortcut,
#      the log component created through its ProgID;
#   2. the installed program starts and shows its window; while it runs, a silent setup and a
#      silent uninstall refuse with exit code 2 and change nothing; it ends when its window is closed;
#   3. a silent upgrade with /DESKTOP over a changed config.xml, a restore point and a log: those
#      stay exactly as they were, the program files and translations are renewed, a translation the
#      earlier setup installed goes, the desktop shortcut comes;
#   4. the silent uninstall the uninstall entry names: once it returns, only the restore points,
#      the log, a translation of the user's own and the setup's marker stay, and the user's
#      automatic cleaning is gone from the Task Scheduler;
#   4b. a silent install over what that uninstall kept, then an uninstall that agrees to delete
#      the restore points and the log, which hold links to the user's documents, desktop and a
#      folder outside: none of those changes, no file is left in Backup and Log, at most the links;
#   5. an install elsewhere without user data: an uninstall that cannot start says so and changes
#      nothing; one that runs leaves no folder behind.
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
# Its windows in a Wine desktop window: without a window manager, every hidden window waits two
# seconds (the setup's pages hide and show many).
qm_use_wine_desktop wine
cd "$prefix/drive_c"
cp "$build/QuillmoorSetup.exe" "$probe" "$prefix/drive_c/"
saved=$prefix/saved
mkdir "$saved"

IFS=';' read -r localAppData appData profile < <(win cmd /c 'echo %LOCALAPPDATA%;%APPDATA%;%USERPROFILE%')
install="$localAppData\\Programs\\Quillmoor"
dir=$(win winepath -u "$install")
startMenuLink="$appData\\Microsoft\\Windows\\Start Menu\\Programs\\Quillmoor.lnk"
desktopLink="$profile\\Desktop\\Quillmoor.lnk"
uninstallKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoor'
# Two trees are the same in names, sizes, times and contents (the top folder's time included, so
# an entry made and removed again shows).
sameTree() {
    diff -r "$1" "$2" >/dev/null || return 1
    [ "$(cd "$1" && find . -printf '%p %s %T@\n' | sort)" = "$(cd "$2" && find . -printf '%p %s %T@\n' | sort)" ]
}

# 0. The user's documents, holding files by the names Quillmoor keeps, are no place for it.
documents=$(win winepath -u "$profile\\Documents")
mkdir -p "$documents/Backup/2024-12-24_18-00-00" "$documents/Log"
echo '<mine/>' > "$documents/config.xml"
echo letter > "$documents/letter.txt"
echo photo > "$documents/Backup/2024-12-24_18-00-00/photo.jpg"
echo diary > "$documents/Log/diary.txt"
cp -a "$documents" "$saved/Documents"
# Interactive, the setup says so on leaving the folder page and shows that page again.
answers=$(win 'C:\setup_probe.exe' notice "C:\\QuillmoorSetup.exe /D=$profile\\Documents" | paste -sd'|') ||
    fail "the interactive setup could not be answered"
# (1: NSIS's code for a setup the user cancelled)
[[ "$answers" == "notice: $profile\\Documents already holds files, and no Quillmoor installation is there. "*"|cancelled the folder page|1" ]] &&
    [ "$(grep -o cancelled <<<"$answers" | wc -l)" = 1 ] || fail "the interactive setup into the user's documents went '$answers'"
code=0
win cmd /c "C:\\QuillmoorSetup.exe /S /D=$profile\\Documents" || code=$?
[ $code = 3 ] || fail "a silent install into the user's documents ended with $code, not 3 (refused)"
sameTree "$saved/Documents" "$documents" || fail "the refused install changed the user's documents"
! win reg query "$uninstallKey" >/dev/null 2>&1 || fail "the refused install wrote an uninstall entry"
[ ! -e "$(win winepath -u "$startMenuLink")" ] || fail "the refused install made a Start-menu shortcut"
[ ! -e "$dir" ] || fail "the refused install made $install"

# 1. Silent install.
win 'C:\QuillmoorSetup.exe' /S || fail "silent install ended with $?"
[ -d "$dir" ] || fail "nothing installed in $install"
programFiles="Quillmoor.exe Logwright.dll Quillmoor.language Quillmoor.rules config.xml Quillmoor.chm"
for file in $programFiles; do
    cmp -s "$build/dist/$file" "$dir/$file" || fail "$file is not the one of dist/"
done
[ -f "$dir/Uninstall.exe" ] && [ -f "$dir/Uninstall.dat" ] || fail "no Uninstall.exe and Uninstall.dat"
# The names in a folder, or nothing when there is no such folder.
names() { if [ -d "$1" ]; then (cd "$1" && ls -A | paste -sd' '); fi; }
translations=$(cd "$build/dist/Languages" && ls -A -- *.language 2>/dev/null | paste -sd' ' || true)
# The installed Languages folder holds dist/Languages's translations, byte for byte, besides any given.
installedTranslations() {
    local expected
    expected=$(printf '%s\n' $translations "$@" | sort | paste -sd' ')
    [ "$(names "$dir/Languages" | tr ' ' '\n' | sort | paste -sd' ')" = "$expected" ] || return 1
    for file in $translations; do cmp -s "$build/dist/Languages/$file" "$dir/Languages/$file" || return 1; done
}
installedTranslations || fail "the Languages folder holds '$(names "$dir/Languages")', not dist/'s '$translations'"
# The administrative templates, as documentation for the administrator's central store.
[ -f "$build/dist/policies/Quillmoor.admx" ] || fail "dist/ holds no administrative template"
while read -r template; do
    cmp -s "$build/dist/policies/$template" "$dir/Policies/$template" || fail "the template $template is not the one of dist/"
done < <(cd "$build/dist/policies" && find . -type f)

declare -A entry
while IFS='|' read -r name type data; do
    entry[$name]="$type $data"
done < <(win reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoor' |
    sed -n 's/^    \([A-Za-z]*\)    \(REG_[A-Z]*\)    \(.*\)$/\1|\2|\3/p')
{ read -r productVersion; read -r company; } < <(win 'C:\setup_probe.exe' version "$install\\Quillmoor.exe")
# The program's files and its translations, each sum in whole kilobytes.
sizeOf() { if [ -d "$1" ]; then find "$1" -maxdepth 1 -type f -name "$2" -printf '%s+'; fi; echo 0; }
kilobytes=$(( ($(sizeOf "$dir" '*')) / 1024 + ($(sizeOf "$dir/Languages" '*.language')) / 1024 ))
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
    "\"$install\\Uninstall.exe\" /S" | paste -sd' ') || fail "the installed program did not run"
[ "$codes" = "2 2 2" ] ||
    fail "setup, uninstall and the closed program ended with $codes, not 2 (refused), 2 (refused), 2 (closed)"
for file in $programFiles Uninstall.exe Uninstall.dat; do
    [ -f "$dir/$file" ] || fail "the refused uninstall removed $file"
done
installedTranslations || fail "the refused uninstall removed translations"
win reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoor' >/dev/null ||
    fail "the refused uninstall removed the uninstall entry"

# 3. Upgrade over the user's data.
echo '<!-- the user was here -->' >> "$dir/config.xml"
mkdir -p "$dir/Backup/2025-01-31_08-05-09/C" "$dir/Log/Data"
echo "the only copy" > "$dir/Backup/2025-01-31_08-05-09/C/x.txt"
echo "an entry" > "$dir/Log/Data/entries"
cp -a "$dir/config.xml" "$dir/Backup" "$dir/Log" "$saved/"
: > "$dir/Quillmoor.language"
# A translation the earlier setup installed and this one does not ship, one of the user's own, and
# in the earlier setup's list also a file outside the Languages folder and a wildcard.
mkdir -p "$dir/Languages"
for file in $translations; do : > "$dir/Languages/$file"; done
echo old > "$dir/Languages/old.language"
echo mine > "$dir/Languages/mine.language"
echo outside > "$dir/outside.language"
win reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoor' /v LanguageFiles \
    /d "old.language|..\\outside.language|*.language|$(echo $translations | tr ' ' '|')" /f >/dev/null
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
installedTranslations mine.language ||
    fail "after the upgrade the Languages folder holds '$(names "$dir/Languages")', not dist/'s '$translations' and mine.language"
[ -f "$dir/outside.language" ] || fail "the upgrade deleted a file outside the Languages folder"
rm "$dir/outside.language"
target=$(win 'C:\setup_probe.exe' shortcut "$desktopLink") || fail "no desktop shortcut after /DESKTOP"
same "$target" "$install\\Quillmoor.exe" || fail "the desktop shortcut leads to $target"

# 4. Silent uninstall, as the uninstall entry says: everything is done when it returns, the user's
#    automatic cleaning included.
win 'C:\setup_probe.exe' task-make "$install\\Quillmoor.exe" || fail "the automatic cleaning could not be registered"
win "$install\\Uninstall.exe" /S || fail "silent uninstall ended with $?"
[ "$(win 'C:\setup_probe.exe' task)" = absent ] || fail "the uninstall left the automatic cleaning's task"
[ -d "$dir" ] || fail "the uninstall removed the restore points and the log"
left=$(names "$dir")
[ "$left" = "Backup Languages Log Quillmoor.installation" ] || fail "the uninstall left '$left' in the program folder"
[ "$(names "$dir/Languages")" = mine.language ] ||
    fail "the uninstall left '$(names "$dir/Languages")' of the translations, not the user's own"
unchanged Backup Log || fail "the uninstall changed the restore points or the log"
for link in "$startMenuLink" "$desktopLink"; do
    [ ! -e "$(win winepath -u "$link")" ] || fail "the uninstall left $link"
done
! win reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoor' >/dev/null 2>&1 ||
    fail "the uninstall left its entry"
! win 'C:\setup_probe.exe' log >/dev/null 2>&1 || fail "the log component is still registered"

# 4b. The folder the uninstall kept is still Quillmoor's: the setup installs there again. Then the
# restore points and the log hold links to the user's documents and desktop and to a folder
# outside (made on the host: Wine 8 makes no links), and the uninstall is told Yes.
rm -r "$dir/Languages"
win 'C:\QuillmoorSetup.exe' /S || fail "a silent install over the kept restore points and log ended with $?"
[ -f "$dir/Quillmoor.exe" ] || fail "nothing installed over the kept restore points and log"
unchanged Backup Log || fail "the install over the kept restore points and log changed them"
desktop=$(win winepath -u "$profile\\Desktop")
outside=$prefix/drive_c/outside
mkdir -p "$outside/deeper"
echo kept > "$outside/kept.txt"
echo deeper > "$outside/deeper/more.txt"
echo note > "$desktop/note.txt"
for folder in "$documents" "$desktop" "$outside"; do
    rm -rf "$saved/linked-$(basename "$folder")"
    cp -a "$folder" "$saved/linked-$(basename "$folder")"
done
ln -s "$documents" "$dir/Backup/2025-01-31_08-05-09/C/Documents"
ln -s "$desktop" "$dir/Backup/Desktop"
ln -s "$outside" "$dir/Log/Data/outside"
ln -s "$outside" "$dir/Log/elsewhere"
code=$(win 'C:\setup_probe.exe' yes "\"$install\\Uninstall.exe\"") || fail "the uninstall answered Yes did not run"
[ "$code" = 0 ] || fail "the uninstall answered Yes ended with $code"
for folder in "$documents" "$desktop" "$outside"; do
    sameTree "$saved/linked-$(basename "$folder")" "$folder" || fail "the uninstall changed $folder, reached through a link"
done
# Gone, or nothing left but the links and the folders that hold them (Wine opens what a link leads
# to, so there the links stay).
for folder in Backup Log; do
    [ -z "$(find "$dir/$folder" ! -type d ! -type l 2>/dev/null)" ] ||
        fail "the uninstall left files in $folder: $(find "$dir/$folder" ! -type d ! -type l)"
    [ -z "$(find "$dir/$folder" -type d -empty 2>/dev/null)" ] || fail "the uninstall left empty folders in $folder"
done
left=$(names "$dir")
case "$left" in
"" | "Backup Log Quillmoor.installation" | "Backup Quillmoor.installation" | "Log Quillmoor.installation") ;;
*) fail "the uninstall answered Yes left '$left' in the program folder" ;;
esac
rm -rf "$dir"

# 5. Elsewhere, with a blank in the folder's name and no user data.
# /D= must reach the setup unquoted, as cmd passes it on.
win cmd /c 'C:\QuillmoorSetup.exe /S /D=C:\Quill moor' || fail "silent install elsewhere ended with $?"
dir=$prefix/drive_c/Quill\ moor
mv "$dir/Uninstall.dat" "$saved/"
code=0
win 'C:\Quill moor\Uninstall.exe' /S || code=$?
[ $code = 3 ] || fail "an uninstall without its uninstaller ended with $code, not 3 (not started)"
for file in $programFiles Uninstall.exe; do
    [ -f "$dir/$file" ] || fail "the uninstall that could not start removed $file"
done
mv "$saved/Uninstall.dat" "$dir/"
win 'C:\Quill moor\Uninstall.exe' /S || fail "silent uninstall of C:\\Quill moor ended with $?"
[ ! -e "$dir" ] || fail "the uninstall left '$(names "$dir")' in C:\\Quill moor"
# Of the five uninstall runs, only the three that removed the program leave something in the
# temporary folder: their Uninstall.exe, moved there out of the program's folder.
temp=$(win winepath -u "$(win cmd /c 'echo %TEMP%')")
left=$(cd "$temp" && find . -path './Quillmoor-uninstall-*' | sed 's/-uninstall-[0-9-]*/-uninstall-N/' | sort | uniq -c |
    sed 's/^ *//' | paste -sd' ')
[ "$left" = "3 ./Quillmoor-uninstall-N 3 ./Quillmoor-uninstall-N/Uninstall.exe" ] ||
    fail "the uninstall runs left '$left' in the temporary folder"
echo "setup: install, upgrade and uninstall as expected"
