# Wine for the Windows build: a private Xvfb display, a prefix with Chinese faces standing in for
# Windows' own, and a wineserver kept alive while the tests run.
# Source it, then: start_wine PREFIX (a display, the prefix, and all stopped again at exit), or
# start_display, prepare_prefix PREFIX [DPI] and stop_wine one by one.

wine="${wine:-/usr/lib/wine/wine64}"
wineserver="${wineserver:-/usr/lib/wine/wineserver}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine reads its command lines and the registry values given on them in the locale's encoding.
export LC_ALL=C.UTF-8

# Starts Xvfb on a display of its own and exports DISPLAY; Wine cannot make a window without one.
start_display() {
    local fd_file
    fd_file="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    local tries=0
    while [ ! -s "$fd_file" ] && [ "$tries" -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    DISPLAY=":$(cat "$fd_file")"
    export DISPLAY
    rm -f "$fd_file"
}

# Makes the prefix once (seconds), maps SimSun, SimHei and the dialog font to the Noto CJK SC faces
# as a Chinese Windows has them, sets the DPI, and starts a persistent wineserver for it.
prepare_prefix() {
    local prefix="$1" dpi="${2:-96}"
    if [ ! -f "$prefix/system.reg" ]; then
        WINEPREFIX="$prefix" "$wine" wineboot --init >/dev/null 2>&1
    fi
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    local name face
    for name in 宋体 SimSun 新宋体 NSimSun 黑体 SimHei "MS Shell Dlg" "MS Shell Dlg 2"; do
        face="Noto Sans CJK SC"
        case "$name" in 宋体 | SimSun | 新宋体 | NSimSun) face="Noto Serif CJK SC" ;; esac
        WINEPREFIX="$prefix" "$wine" reg add "$key" /v "$name" /d "$face" /f >/dev/null 2>&1
    done
    # Wine's own symbol font draws the caption buttons; Debian installs it where Wine 8 does not
    # look.
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
    WINEPREFIX="$prefix" "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    WINEPREFIX="$prefix" "$wineserver" -w
    WINEPREFIX="$prefix" "$wineserver" -p
    prefixes+=("$prefix")
    # The first program of a new server starts Wine's own services, which takes seconds.
    WINEPREFIX="$prefix" "$wine" wineboot >/dev/null 2>&1
}

prefixes=()
stop_wine() {
    local prefix
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
    done
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
}

start_wine() {
    trap stop_wine EXIT
    start_display
    prepare_prefix "$1"
    export WINEPREFIX="$1"
}
