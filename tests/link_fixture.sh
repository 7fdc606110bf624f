#!/bin/sh
# Makes (or removes) folder trees with Unix symbolic links inside the test prefix's C: drive;
# Wine shows them as folder reparse points. Used by the folder-walk and link-safety tests
# through ctest.
set -eu
dir="$WINEPREFIX/drive_c/qm-link-fixture"
rm -rf "$dir"
[ "$1" = remove ] && exit 0
mkdir -p "$dir/root/sub" "$dir/outside"
echo a > "$dir/root/a.tmp"
echo b > "$dir/root/sub/b.tmp"
echo never > "$dir/outside/victim.tmp"
ln -s ../root "$dir/root/loop"
ln -s ../outside "$dir/root/out"
ln -s .. "$dir/root/sub/up"
# A root that is a link (as a redirected profile folder may be). Wine 8 shows a link to a file as
# the plain file it leads to (no reparse point), so file links are no part of the fixture.
mkdir -p "$dir/linked/deeper"
echo junk > "$dir/linked/junk.tmp"
echo more > "$dir/linked/deeper/more.tmp"
ln -s linked "$dir/rootlink"
# A folder swapped for a link after the scan: the listed sub/c.tmp now lies in sub-moved, and sub
# leads to another folder whose c.tmp has the same size and time (only the link tells them apart).
mkdir -p "$dir/swap/sub-moved" "$dir/swap/other"
printf LISTED > "$dir/swap/sub-moved/c.tmp"
printf others > "$dir/swap/other/c.tmp"
touch -r "$dir/swap/sub-moved/c.tmp" "$dir/swap/other/c.tmp"
ln -s other "$dir/swap/sub"
# A folder a restore would write into that has become a link.
mkdir -p "$dir/restore/elsewhere"
printf "the other file" > "$dir/restore/elsewhere/f.txt"
ln -s elsewhere "$dir/restore/sub"
# A restore point with a link inside it.
mkdir -p "$dir/points/2025-01-01_00-00-00/C" "$dir/victims"
printf backup > "$dir/points/2025-01-01_00-00-00/C/x.txt"
printf precious > "$dir/victims/precious.txt"
ln -s ../../victims "$dir/points/2025-01-01_00-00-00/inside"
# A report's file name that is a link to another file: writing the report replaces the link.
mkdir -p "$dir/report"
printf "not a report" > "$dir/report/elsewhere.txt"
ln -s elsewhere.txt "$dir/report/report.csv"
# Folders a cleaning emptied, one of them a link to an empty folder outside.
mkdir -p "$dir/emptied/real" "$dir/emptytarget"
ln -s ../emptytarget "$dir/emptied/link"
