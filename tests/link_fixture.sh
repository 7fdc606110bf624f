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
# The rules log's name that is a link to the user's note.
mkdir -p "$dir/ruleslog"
printf "my note" > "$dir/ruleslog/notes.txt"
ln -s notes.txt "$dir/ruleslog/rules.log"
# Caches found by their structure, reached through links: a cache folder that is a link to a
# whole cache outside, an application folder that is a link, and a simple cache whose index-dir is
# a link to a real index elsewhere; beside them a real cache the walk does take.
mkdir -p "$dir/caches/root/app" "$dir/caches/root/simple/GPUCache" "$dir/caches/root/real/Cache" \
    "$dir/caches/outside/Cache" "$dir/caches/outside/realindex"
for f in index data_0 data_1 data_2 data_3 f_000001; do
    echo x > "$dir/caches/outside/Cache/$f"
    echo x > "$dir/caches/root/real/Cache/$f"
done
echo x > "$dir/caches/outside/realindex/the-real-index"
echo x > "$dir/caches/root/simple/GPUCache/index"
echo x > "$dir/caches/root/simple/GPUCache/0123456789abcdef_0"
ln -s ../../outside/Cache "$dir/caches/root/app/Cache"
ln -s ../outside "$dir/caches/root/linkedapp"
ln -s ../../../outside/realindex "$dir/caches/root/simple/GPUCache/index-dir"
# Folders a cleaning emptied, one of them a link to an empty folder outside.
mkdir -p "$dir/emptied/real" "$dir/emptytarget"
ln -s ../emptytarget "$dir/emptied/link"

# Restore points and links: a point that is itself a link; points whose folders the tests swap for
# links in the middle of a removal or a restore; a target folder reached through a link.
mkdir -p "$dir/pointlink/Backup" "$dir/pointlink/victims/docs"
printf notes > "$dir/pointlink/victims/notes.txt"
printf important > "$dir/pointlink/victims/docs/important.txt"
ln -s ../victims "$dir/pointlink/Backup/2025-01-01_00-00-00"
removal="$dir/unswap/Backup/2025-02-02_00-00-00/C"
mkdir -p "$removal/a" "$removal/b" "$dir/unswap/victims"
restored="$dir/rswap/Backup/2025-03-03_00-00-00/C/qm-link-fixture/rswap/target/sub"
mkdir -p "$restored" "$dir/rswap/others"
for n in $(seq 1 20); do
    printf "backup a$n" > "$removal/a/$n.txt"
    printf "backup b$n" > "$removal/b/$n.txt"
    printf "victim $n" > "$dir/unswap/victims/$n.txt"
    printf "backup $n" > "$restored/f$n.txt"
    printf "other $n" > "$dir/rswap/others/f$n.txt"
done
mkdir -p "$dir/mkthrough/T2" "$dir/mkthrough/victimdir"
ln -s ../victimdir "$dir/mkthrough/T2/evil"
# The swaps happen on the host while a test waits: the test writes requests/<n>.swap holding
# "<folder> <target>" (paths below the fixture folder); this watcher moves the folder to
# "<folder>-moved", puts a link to the target in its place and renames the request to <n>.done.
# It ends when the fixture is removed or made again, and after an hour at the latest.
mkdir -p "$dir/requests"
owner="$(date +%s%N)"
echo "$owner" > "$dir/requests/owner"
(
    rounds=0
    while [ "$(cat "$dir/requests/owner" 2>/dev/null)" = "$owner" ] && [ $rounds -lt 72000 ]; do
        for request in "$dir"/requests/*.swap; do
            [ -f "$request" ] || continue
            read -r folder target < "$request"
            mv "$dir/$folder" "$dir/$folder-moved" && ln -s "$dir/$target" "$dir/$folder"
            mv "$request" "${request%.swap}.done"
        done
        rounds=$((rounds + 1))
        sleep 0.05
    done
) </dev/null >/dev/null 2>&1 &
