#!/bin/sh
# Maps (or unmaps) a second drive letter, D:, to a folder inside the test prefix, for the test of
# a backup onto another volume. Only the prefix's own folder is ever reached through it.
set -eu
folder="$WINEPREFIX/drive_d_test"
link="$WINEPREFIX/dosdevices/d:"
rm -f "$link"
rm -rf "$folder"
[ "$1" = remove ] && exit 0
mkdir -p "$folder"
ln -s ../drive_d_test "$link"
