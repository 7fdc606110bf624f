# Shared by the build, run and test scripts: the Wine prefix and the virtual display.
# Source it; it defines functions and changes nothing by itself.

QM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QM_BUILD=${QM_BUILD:-$QM_ROOT/build}

export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko installation prompts, and no menu entries written outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A fixed locale keeps the ANSI code page (1252) the same on every machine.
export LANG=C.UTF-8
export LC_ALL=C.UTF-8

# Configures the 32-bit build tree in $QM_BUILD, whose setup takes the 64-bit program from dist64/.
qm_configure() {
    cmake -S "$QM_ROOT" -B "$QM_BUILD" -DCMAKE_TOOLCHAIN_FILE="$QM_ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DQM_DIST64="$QM_BUILD/dist64" >/dev/null
}

# Configures and builds everything (program, log component, tests, benchmarks) into $QM_BUILD,
# after the 64-bit program, so that the setup holds both.
qm_build() {
    qm_build64
    qm_configure
    cmake --build "$QM_BUILD" -j"$(nproc)"
}

# Builds only what running Quillmoor needs: the 32-bit program, the log component, the language
# file and factory configuration, and the help file, into $QM_BUILD/dist.
qm_build_program() {
    qm_configure
    cmake --build "$QM_BUILD" -j"$(nproc)" --target Quillmoor Logwright dist_data help_file
}

# Configures and builds the 64-bit program and its log component into $QM_BUILD/x64, with its
# runnable folder in $QM_BUILD/dist64; further targets (engine_tests) may be named.
qm_build64() {
    cmake -S "$QM_ROOT" -B "$QM_BUILD/x64" -DCMAKE_TOOLCHAIN_FILE="$QM_ROOT/cmake/mingw-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DQM_DIST_DIR="$QM_BUILD/dist64" >/dev/null
    cmake --build "$QM_BUILD/x64" -j"$(nproc)" --target Quillmoor Logwright dist_data "$@"
}

# Keeps what Wine writes on the Unix side for the current user (the Recycle Bin is the XDG trash)
# inside the build folder, so tests never touch the machine's own trash.
qm_contain_user_data() {
    export XDG_DATA_HOME="$QM_BUILD/xdg-data"
    mkdir -p "$XDG_DATA_HOME"
}

# Makes the private prefix given as $1 (once) and removes its Z: drive, so that nothing
# run in it can see the machine's own files: the only fixed drive is C:.
qm_prefix() {
    export WINEPREFIX=$1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    rm -f "$WINEPREFIX/dosdevices/z:"
    qm_seal_user_folders
    qm_link_cjk_fonts
}

# Windows links its dialog and menu fonts to fonts with Chinese and Japanese characters (the
# registry's FontLink\SystemLink), so a text in those scripts shows in any dialog font. Wine shows
# the dialog faces (MS Sans Serif, MS Shell Dlg, Tahoma) in DejaVu Sans, which fontconfig always
# brings, and bold captions in DejaVu Sans Bold; the prefix links both to the WenQuanYi font the
# setup script installs, once. (A link on a face Wine does not have would make the linked font
# that face's own, Latin included.)
qm_link_cjk_fonts() {
    local marker=$WINEPREFIX/.qm-cjk-font-links
    [ -f "$marker" ] && return 0
    local reg=$WINEPREFIX/drive_c/qm-font-links.reg value face
    value=$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei' | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
        for face in "DejaVu Sans" "DejaVu Sans Bold"; do
            printf '"%s"=hex(7):%s,00,00\r\n' "$face" "$value"
        done
    } >"$reg"
    wine regedit 'C:\qm-font-links.reg' >/dev/null 2>&1 && touch "$marker"
    rm -f "$reg"
}

# Wine links the user's Desktop, Documents, Downloads, Music, Pictures and Videos to the Unix
# home folder: each link becomes a plain folder inside the prefix (the link goes, not what it
# pointed at), so nothing run in the prefix reaches the machine's own files through them.
qm_seal_user_folders() {
    local link
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f "$link"
            mkdir -p "$link"
        fi
    done
}

# Starts Xvfb on the first free display number and exports DISPLAY.
qm_start_display() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QM_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

# Moves the session to the private 64-bit prefix ($QM_BUILD/wineprefix64, made once and sealed
# like the 32-bit one), on the same display: the 32-bit prefix's server is stopped first.
qm_switch_to_wine64() {
    wineserver -k >/dev/null 2>&1 || true
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINEPREFIX=$QM_BUILD/wineprefix64
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$WINELOADER" wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    rm -f "$WINEPREFIX/dosdevices/z:"
    qm_seal_user_folders
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p
    "$WINELOADER" wineboot >/dev/null 2>&1
    qm_use_wine_desktop "$WINELOADER"
}

# Stops what qm_start_display and a persistent wineserver started.
qm_stop_all() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "${QM_XVFB_PID:-}" ]; then kill "$QM_XVFB_PID" 2>/dev/null || true; wait "$QM_XVFB_PID" 2>/dev/null || true; fi
}

# Everything a Wine run needs, started once: the private prefix, the virtual display and one
# persistent wineserver (a server left over from an interrupted run is ended first), with Wine's
# own services already running so they never hold a test's output open. Stopped on exit.
qm_start_wine_session() {
    qm_contain_user_data
    qm_prefix "$QM_BUILD/wineprefix"
    trap qm_stop_all EXIT
    qm_start_display
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p
    wineboot >/dev/null 2>&1
    qm_use_wine_desktop wine
}

# Puts the prefix's windows in a Wine desktop window, as on Windows: on a bare X server without a
# window manager, every hidden window waits two seconds. $1 is the Wine loader to use.
qm_use_wine_desktop() {
    "$1" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
    "$1" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
}
