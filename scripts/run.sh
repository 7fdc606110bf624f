#!/usr/bin/env bash
# Builds dist/, installs it into a private Wine prefix (build/run-prefix, drive C: only), registers
# the activity log component there and starts Quillmoor. On a machine with a display it opens the
# wizard there; without one it runs it on a virtual display, saves a screenshot and says where.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/setup.sh"
source "$here/wine-env.sh"
qm_build_program

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    headless=1
    trap qm_stop_all EXIT
    qm_start_display
fi

export WINEPREFIX="$QM_BUILD/run-prefix"
qm_prefix "$WINEPREFIX"
install="$WINEPREFIX/drive_c/Quillmoor"
mkdir -p "$install"
cp "$QM_BUILD/dist/Quillmoor.exe" "$QM_BUILD/dist/Logwright.dll" "$QM_BUILD/dist/Quillmoor.language" \
    "$QM_BUILD/dist/Quillmoor.rules" "$install/"
rm -rf "$install/Languages"
cp -r "$QM_BUILD/dist/Languages" "$install/"
if [ -f "$QM_BUILD/dist/Quillmoor.chm" ]; then cp "$QM_BUILD/dist/Quillmoor.chm" "$install/"; fi
# The user's settings survive a rebuild: the factory configuration is copied only once.
[ -f "$install/config.xml" ] || cp "$QM_BUILD/dist/config.xml" "$install/"
wine regsvr32 /s 'C:\Quillmoor\Logwright.dll' >/dev/null 2>&1 ||
    echo "run: the activity log component could not be registered; Quillmoor runs without its log"

if [ "$headless" = 0 ]; then
    echo "Starting Quillmoor (C:\\Quillmoor in $WINEPREFIX) on $DISPLAY ..."
    wine 'C:\Quillmoor\Quillmoor.exe'
    exit 0
fi

wine 'C:\Quillmoor\Quillmoor.exe' >/dev/null 2>&1 &
sleep 8
shot="$QM_BUILD/quillmoor-screenshot.png"
import -window root "$shot"
echo "No display here: Quillmoor ran on a virtual display; a screenshot of its first page is in $shot"
