#!/usr/bin/env bash
# Quillmoor-x86.msi as an administrator deploys it, in a fresh Wine prefix of this test's own
# (build/package-prefix, no Z: drive, the user's folders real folders inside the prefix):
#   1. msiexec /i /qn /l*v: the files, the machine's registration of the log component (created
#      through its ProgID), the record of the installation for the whole machine, the event-log
#      source, the uninstall entry and the Start-menu shortcut;
#   2. the installed program, started by a user: its first start copies the factory config.xml into
#      the user's profile; "/auto" cleans a folder with a restore point in the profile and its log
#      there, the rescue manager lists that point and restores it; nothing is written beside the
#      program;
#   3. msiexec /i of a package of a higher version (built here): the files are renewed in place,
#      one product is left, every user's data stays as it was;
#   4. msiexec /i of the older package over it: refused (1603), nothing changes;
#   5. msiexec /x: every installed file and registry value goes; the users' data stays.
# Usage (ctest): package_test.sh <build folder> <setup_probe.exe> <wixl>
set -euo pipefail
build=$1
probe=$2
wixl=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# Wine's console output ends its lines with CR LF.
win() { wine "$@" | tr -d '\r'; }
same() { [ "${1,,}" = "${2,,}" ]; }  # Windows paths compare without regard to case
# msiexec's exit code in full, as a deployment tool sees it: the Linux side gets only its low byte
# (1603 arrives as 67), so cmd waits for it and prints it.
# cmd ends with that code too, which is no failure of the test's own.
msiexec() { { win cmd /v:on /c "start /wait msiexec $* & echo !ERRORLEVEL!" || true; } | tail -n 1; }
# Two trees are the same in names, sizes, times and contents.
sameTree() {
    diff -r "$1" "$2" >/dev/null || return 1
    [ "$(cd "$1" && find . -printf '%p %s %T@\n' | sort)" = "$(cd "$2" && find . -printf '%p %s %T@\n' | sort)" ]
}
property() { msiinfo export "$1" Property | tr -d '\r' | sed -n "s/^$2\t//p"; }
absent() { ! win reg query "$@" >/dev/null 2>&1; }

[ -n "${DISPLAY:-}" ] || fail "no display (run through scripts/test.sh)"
package=$build/Quillmoor-x86.msi
[ -f "$package" ] || fail "no $package"

prefix=$build/package-prefix
rm -rf "$prefix"
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
qm_prefix "$prefix"
qm_use_wine_desktop wine
drive=$prefix/drive_c
cd "$drive"
cp "$package" "$probe" "$drive/"

# The package of a higher version: the same program, its rules file marked so the upgrade shows.
version=$(property "$package" ProductVersion)
IFS=. read -r major minor patch <<<"$version"
newer=$major.$minor.$((patch + 1))
work=$build/package-work
rm -rf "$work"
mkdir -p "$work"
cp -a "$build/dist" "$work/data"
echo "; the newer package" >>"$work/data/Quillmoor.rules"
cmake -DWIXL="$wixl" -DSOURCE="$here/../../installer/Quillmoor.wxs" -DARCH=x86 -DVERSION="$newer" \
    -DPROGRAM="$build/dist" -DDATA="$work/data" -DICON="$here/../../src/resources/art/quillmoor.ico" \
    -DOUTPUT="$drive/Quillmoor-newer.msi" -P "$here/../../installer/BuildPackage.cmake" >/dev/null ||
    fail "the newer package could not be built"
[ "$(property "$drive/Quillmoor-newer.msi" UpgradeCode)" = "$(property "$package" UpgradeCode)" ] ||
    fail "the newer package has another upgrade code"
# The refusal names its reason to whoever installs interactively.
msiinfo export "$package" LaunchCondition | grep -q 'NOT WIX_DOWNGRADE_DETECTED	A newer version of Quillmoor' ||
    fail "the package refuses no downgrade with a message"

IFS=';' read -r localAppData appData < <(win cmd /c 'echo %LOCALAPPDATA%;%APPDATA%')
install='C:\Program Files\Quillmoor'
dir=$(win winepath -u "$install")
userConfig=$(win winepath -u "$appData\\Quillmoor")
userLocal=$(win winepath -u "$localAppData\\Quillmoor")
classes='HKLM\Software\Classes'
clsid='{A012166D-C978-4D10-A03F-04C178F9CE57}'
eventSource='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Quillmoor'
productCode=$(property "$package" ProductCode)
newerCode=$(property "$drive/Quillmoor-newer.msi" ProductCode)
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# A registry value's type and data, as "REG_SZ text".
value() {
    local name=(/ve)
    [ -z "$2" ] || name=(/v "$2")
    { win reg query "$1" "${name[@]}" 2>/dev/null || true; } |
        sed -n 's/^    .*    \(REG_[A-Z_]*\)    \(.*\)$/\1 \2/p' | head -n 1
}
expect() {
    local got
    got=$(value "$1" "$2")
    same "$got" "$3" || fail "$1 ${2:-(default)} is '$got', not '$3'"
}

# 1. Install, silently, with a log.
code=$(msiexec /i 'C:\Quillmoor-x86.msi' /qn /l*v 'C:\install.log')
[ "$code" = 0 ] || fail "msiexec /i ended with $code"
for file in Quillmoor.exe Logwright.dll Quillmoor.language Quillmoor.rules config.xml Quillmoor.chm; do
    cmp -s "$build/dist/$file" "$dir/$file" || fail "$file is not the one of dist/"
done
[ "$(cd "$dir/Languages" && ls | paste -sd' ')" = "$(cd "$build/dist/Languages" && ls | paste -sd' ')" ] ||
    fail "the Languages folder holds '$(ls "$dir/Languages" | paste -sd' ')'"
for file in "$build"/dist/Languages/*; do cmp -s "$file" "$dir/Languages/$(basename "$file")" || fail "$file differs"; done
# The administrative templates, for the administrator to copy into the policy store.
[ "$(cd "$dir/Policies" 2>/dev/null && find . -type f | sort)" = "$(cd "$build/dist/policies" && find . -type f | sort)" ] ||
    fail "the Policies folder holds '$(cd "$dir/Policies" 2>/dev/null && find . -type f | paste -sd' ')'"
for file in $(cd "$build/dist/policies" && find . -type f); do
    cmp -s "$build/dist/policies/$file" "$dir/Policies/$file" || fail "the template $file differs"
done
expect 'HKLM\Software\Quillmoor' PerMachineFolder "REG_SZ $install\\"
expect "$classes\\CLSID\\$clsid" "" "REG_SZ Logwright activity log"
expect "$classes\\CLSID\\$clsid\\InprocServer32" "" "REG_SZ $install\\Logwright.dll"
expect "$classes\\CLSID\\$clsid\\InprocServer32" ThreadingModel "REG_SZ Apartment"
expect "$classes\\CLSID\\$clsid\\ProgID" "" "REG_SZ Logwright.Log"
expect "$classes\\Logwright.Log" "" "REG_SZ Logwright activity log"
expect "$classes\\Logwright.Log\\CLSID" "" "REG_SZ $clsid"
expect "$eventSource" EventMessageFile "REG_SZ $install\\Quillmoor.exe"
expect "$eventSource" TypesSupported "REG_DWORD 0x7"
expect "$uninstallKey\\$productCode" DisplayName "REG_SZ Quillmoor (32-bit)"
expect "$uninstallKey\\$productCode" DisplayVersion "REG_SZ $version"
# No self-registration: nothing went under the installing user's classes.
absent "HKCU\\Software\\Classes\\CLSID\\$clsid" || fail "the install registered the log component for the user"
loaded=$(win 'C:\setup_probe.exe' log) || fail "the log component cannot be created by its ProgID"
same "$loaded" "$install\\Logwright.dll" || fail "the ProgID leads to $loaded"
# The all-users Start menu on Windows; Wine's installer gives ProgramMenuFolder the user's own.
menu=$(tr -d '\r' <"$drive/install.log" | sed -n 's/^Property(S): ProgramMenuFolder = //p' | tail -n 1)
[ -n "$menu" ] || fail "the install log names no ProgramMenuFolder"
shortcut="${menu}Quillmoor.lnk"
target=$(win 'C:\setup_probe.exe' shortcut "$shortcut") || fail "no Start-menu shortcut at $shortcut"
same "$target" "$install\\Quillmoor.exe" || fail "the Start-menu shortcut leads to $target"
programFolder=$(cd "$dir" && find . | sort)

# 2. A user's first start copies the factory config.xml into their profile ("/rules" only reads).
[ ! -e "$userConfig" ] && [ ! -e "$userLocal" ] || fail "the install wrote into the user's profile"
win "$install\\Quillmoor.exe" /rules >/dev/null || fail "/rules ended with $?"
cmp -s "$dir/config.xml" "$userConfig/config.xml" || fail "the first start gave the user no factory config.xml"
mkdir -p "$drive/junk"
echo junk >"$drive/junk/a.tmp"
echo keep >"$drive/junk/keep.txt"
code=0
win "$install\\Quillmoor.exe" /auto 'C:\junk' >/dev/null || code=$?
[ $code = 0 ] || fail "/auto ended with $code"
[ ! -e "$drive/junk/a.tmp" ] && [ -f "$drive/junk/keep.txt" ] || fail "/auto did not clean C:\\junk as asked"
points=$(cd "$userLocal/Backup" 2>/dev/null && ls -d ????-??-??_??-??-?? | paste -sd' ')
[ -n "$points" ] && [ "$(wc -w <<<"$points")" = 1 ] || fail "the restore points in the profile are '$points'"
[ "$(cat "$userLocal/Backup/$points/C/junk/a.tmp")" = junk ] || fail "the restore point does not hold C:\\junk\\a.tmp"
[ -n "$(ls -A "$userLocal/Log/Data" 2>/dev/null)" ] || fail "no activity log in the profile"
[ "$(cd "$dir" && find . | sort)" = "$programFolder" ] || fail "the program wrote into its folder"
answers=$(win 'C:\setup_probe.exe' restore "$install\\Quillmoor.exe" | paste -sd'|') ||
    fail "the rescue manager could not be driven"
same "$answers" "$localAppData\\Quillmoor\\Backup|1|0|2" ||
    fail "the rescue manager went '$answers' (its folder, the points before and after, the exit code)"
[ "$(cat "$drive/junk/a.tmp" 2>/dev/null)" = junk ] || fail "the restore did not bring C:\\junk\\a.tmp back"
[ "$(cd "$dir" && find . | sort)" = "$programFolder" ] || fail "the program wrote into its folder"

# 3. Upgrade in place: every user's data stays as it was.
saved=$prefix/saved
mkdir -p "$saved"
echo '<!-- the user was here -->' >>"$userConfig/config.xml"
mkdir -p "$userLocal/Backup/2025-01-31_08-05-09/C"
echo "the only copy" >"$userLocal/Backup/2025-01-31_08-05-09/C/x.txt"
cp -a "$userConfig" "$saved/Roaming"
cp -a "$userLocal" "$saved/Local"
code=$(msiexec /i 'C:\Quillmoor-newer.msi' /qn /l*v 'C:\upgrade.log')
[ "$code" = 0 ] || fail "the upgrade ended with $code"
cmp -s "$work/data/Quillmoor.rules" "$dir/Quillmoor.rules" || fail "the upgrade did not renew the files"
cmp -s "$build/dist/Quillmoor.exe" "$dir/Quillmoor.exe" || fail "the upgrade lost the program"
expect "$uninstallKey\\$newerCode" DisplayVersion "REG_SZ $newer"
absent "$uninstallKey\\$productCode" || fail "the upgrade left the older product installed"
expect 'HKLM\Software\Quillmoor' PerMachineFolder "REG_SZ $install\\"
expect "$classes\\CLSID\\$clsid\\InprocServer32" "" "REG_SZ $install\\Logwright.dll"
sameTree "$saved/Roaming" "$userConfig" && sameTree "$saved/Local" "$userLocal" ||
    fail "the upgrade changed the user's data"

# 4. The older package over the newer one is refused, and changes nothing.
code=$(msiexec /i 'C:\Quillmoor-x86.msi' /qn /l*v 'C:\downgrade.log')
[ "$code" = 1603 ] || fail "the downgrade ended with $code, not 1603"
cmp -s "$work/data/Quillmoor.rules" "$dir/Quillmoor.rules" || fail "the refused downgrade changed the files"
expect "$uninstallKey\\$newerCode" DisplayVersion "REG_SZ $newer"
absent "$uninstallKey\\$productCode" || fail "the refused downgrade installed the older product"

# 5. Removal: every installed file and registry value goes, every user's data stays.
code=$(msiexec /x 'C:\Quillmoor-newer.msi' /qn /l*v 'C:\remove.log')
[ "$code" = 0 ] || fail "msiexec /x ended with $code"
[ ! -e "$dir" ] || fail "the removal left '$(cd "$dir" && find . | paste -sd' ')' in $install"
[ ! -e "$(win winepath -u "$shortcut")" ] || fail "the removal left the Start-menu shortcut"
for key in 'HKLM\Software\Quillmoor' "$classes\\CLSID\\$clsid" "$classes\\Logwright.Log" "$eventSource" \
    "$uninstallKey\\$newerCode"; do
    absent "$key" || fail "the removal left $key"
done
! win 'C:\setup_probe.exe' log >/dev/null 2>&1 || fail "the log component is still registered"
sameTree "$saved/Roaming" "$userConfig" && sameTree "$saved/Local" "$userLocal" ||
    fail "the removal changed the user's data"
echo "package: install, first start, cleaning and restore, upgrade, refused downgrade and removal as expected"
