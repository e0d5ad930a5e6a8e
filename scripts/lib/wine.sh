# Wine for the Windows build: a private Xvfb display, a prefix with Chinese faces standing in for
# Windows' own, a wineserver kept alive while the tests run, and the way this machine runs 32-bit
# programs.
# Source it, then: start_wine PREFIX (a display, the prefix, and all stopped again at exit), or
# start_display, prepare_prefix PREFIX [DPI] and stop_wine one by one; run_suite; find_x86_runner.

wine="${wine:-/usr/lib/wine/wine64}"
wine32="${wine32:-/usr/lib/wine/wine}"
# The 64-bit server, which serves 32-bit programs too.
wineserver="${wineserver:-/usr/lib/wine/wineserver}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine reads its command lines and the registry values given on them in the locale's encoding.
export LC_ALL=C.UTF-8

# Starts Xvfb on a display of its own and exports DISPLAY; Wine cannot make a window without one.
start_display() {
    local fd_file
    fd_file="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >"$fd_file.log" 2>&1 &
    xvfb_pid=$!
    local tries=0
    while [ ! -s "$fd_file" ] && [ "$tries" -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if [ ! -s "$fd_file" ]; then
        echo "Xvfb did not start, and Wine cannot make a window without a display:" >&2
        cat "$fd_file.log" >&2
        rm -f "$fd_file" "$fd_file.log"
        return 1
    fi
    DISPLAY=":$(cat "$fd_file")"
    export DISPLAY
    rm -f "$fd_file" "$fd_file.log"
}

# step WHAT COMMAND...: runs COMMAND quietly; when it fails, says what failed, with its output. The
# output goes to a file, not a pipe, which the servers that Wine leaves running would hold open.
step() {
    local what="$1" log
    shift
    log="$(mktemp)"
    if ! "$@" >"$log" 2>&1; then
        echo "Preparing Wine failed at: $what ($*)" >&2
        cat "$log" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

# Makes the prefix once (seconds), maps SimSun, SimHei and the dialog font to the Noto CJK SC faces
# as a Chinese Windows has them, sets the DPI, and starts a persistent wineserver for it.
prepare_prefix() {
    local prefix="$1" dpi="${2:-96}"
    local -x WINEPREFIX="$prefix"
    if [ ! -f "$prefix/system.reg" ]; then
        step "making the prefix $prefix" "$wine" wineboot --init
    fi
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    local name face
    for name in 宋体 SimSun 新宋体 NSimSun 黑体 SimHei "MS Shell Dlg" "MS Shell Dlg 2"; do
        face="Noto Sans CJK SC"
        case "$name" in 宋体 | SimSun | 新宋体 | NSimSun) face="Noto Serif CJK SC" ;; esac
        step "mapping the face $name" "$wine" reg add "$key" /v "$name" /d "$face" /f
    done
    # Wine's own symbol font draws the caption buttons; Debian installs it where Wine 8 does not
    # look.
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
    step "setting $dpi dots per inch" "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d "$dpi" /f
    step "waiting for the prefix's server to end" "$wineserver" -w
    step "starting a persistent server" "$wineserver" -p
    prefixes+=("$prefix")
    # The first program of a new server starts Wine's own services, which takes seconds.
    step "starting Wine's services" "$wine" wineboot
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

# run_suite BUILD_FOLDER TIMEOUT [CTEST_ARGUMENTS...]: a Windows build's tests through ctest, at
# 96 and at 144 dots per inch in a prefix of each; a test that hangs fails after TIMEOUT seconds.
run_suite() {
    prepare_prefix "$1/wine"
    prepare_prefix "$1/wine-144" 144
    (cd "$1" && WINEPREFIX="$1/wine" ctest --output-on-failure --parallel "$(nproc)" \
        --timeout "$2" "${@:3}")
}

start_wine() {
    trap stop_wine EXIT
    start_display
    prepare_prefix "$1"
    export WINEPREFIX="$1"
}

# How this machine runs 32-bit Windows programs, which Debian's 32-bit Wine runs as 32-bit Linux
# programs: natively where the kernel runs those; else through qemu-user-static, in a namespace of
# the command's own (scripts/lib/qemu-i386.sh); else not at all. Sets x86_runner to what a command
# that starts them runs under (nothing, natively) and x86_how to say which, or why not, and fails
# when they cannot run (first installing the 32-bit Wine). DRAVIX_X86_THROUGH_QEMU=1 takes qemu
# where the kernel would do.
find_x86_runner() {
    local failure
    x86_runner=()
    # Apart from the rest: Debian's 32-bit packages can lag behind its 64-bit ones on a mirror in
    # the middle of a sync, and then the 32-bit Wine cannot be installed beside them.
    if ! failure="$(install_missing_packages "${DRAVIX_WINE32_PACKAGES[@]}" 2>&1)"; then
        x86_how="not at all: Debian's 32-bit Wine could not be installed: $failure"
        return 1
    fi
    if [ -z "${DRAVIX_X86_THROUGH_QEMU:-}" ] && "$wine32" --version >/dev/null 2>&1; then
        x86_how="natively"
        return 0
    fi
    install_missing_packages qemu-user-static
    x86_runner=("$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/qemu-i386.sh")
    if failure="$("${x86_runner[@]}" "$wine32" --version 2>&1 >/dev/null)"; then
        x86_how="through qemu-user-static, where every 32-bit program takes a minute or more to start"
        return 0
    fi
    x86_how="not at all: this kernel does not run 32-bit programs, and qemu-user-static could not \
be put in its place (it needs Linux 6.7 or later with user namespaces allowed): ${failure:-$("$wine32" --version 2>&1)}"
    return 1
}
