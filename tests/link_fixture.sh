#!/bin/sh
# Makes (or removes) a folder tree with Unix symbolic links inside the test prefix's C: drive;
# Wine shows them as folder reparse points. Used by the folder-walk tests through ctest.
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
