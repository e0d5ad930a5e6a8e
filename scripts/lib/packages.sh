# Installs the Debian packages named in the arguments that are not installed yet.
# Runs apt-get update only when something has to be installed; uses sudo when not root.
install_missing_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "These packages are missing and installing them needs root or sudo: ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    local log
    log="$(mktemp)"
    # A package of another architecture, such as wine32:i386, needs that architecture added first.
    local architecture
    for architecture in $(printf '%s\n' "${missing[@]}" | sed -n 's/.*://p' | sort -u); do
        if ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
            "${sudo[@]}" dpkg --add-architecture "$architecture"
        fi
    done
    # An index that fails to download (a mirror in the middle of a sync) fails only an install
    # that needed it: the update's errors are shown then, with the install's.
    "${sudo[@]}" apt-get update -qq >"$log" 2>&1 || true
    if ! "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "${missing[@]}" >>"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "Installing ${missing[*]} failed." >&2
        return 1
    fi
    rm -f "$log"
}

# What building and testing Dravix needs.
DRAVIX_BUILD_PACKAGES=(
    g++ cmake make
    qt6-base-dev qt6-translations-l10n fonts-noto-cjk
)
# devscripts holds hardening-check. The screen reader's test runs Orca on a desktop of its own: an
# X server, a window manager, a D-Bus session with the AT-SPI bus, and keys and a clipboard.
DRAVIX_TEST_PACKAGES=(
    libgtest-dev libbenchmark-dev
    desktop-file-utils appstream dpkg-dev lintian devscripts python3
    orca at-spi2-core dbus-daemon xvfb openbox xdotool xclip
)
# What the sanitizer and fuzzing builds need: clang and its runtimes (of clang 14 on Debian 12, 19
# on Debian 13; the package names the release's own).
DRAVIX_CLANG_PACKAGES=(clang libclang-rt-dev)
# What building Dravix for Windows and testing it under Wine needs: wine64 runs the 64-bit
# programs, and wine32, installed where they are to run, the 32-bit ones.
DRAVIX_WINE32_PACKAGES=(wine32:i386)
DRAVIX_WINDOWS_PACKAGES=(
    cmake make g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 googletest python3
    wine64 fonts-wine
    xvfb xauth xdotool
    fonts-noto-cjk
)
