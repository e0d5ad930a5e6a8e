#!/usr/bin/env bash
# Installs what the Windows build needs and cross-compiles Dravix with Debian 12's mingw-w64 (on
# another system, in a Debian 12 system that it makes and keeps) for both kinds of Windows PC:
# build-windows/dravix.exe for 64-bit Windows (x64) and build-windows-x86/dravix.exe for 32-bit
# Windows (x86), each one static, stripped GUI program that needs no DLL but Windows' own. Extra arguments go to cmake; the x64 build folder is build-windows/ unless DRAVIX_BUILD_DIR
# names another, and the x86 one is the same name with -x86 after it.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
# shellcheck source=lib/debian_root.sh
source "$root/scripts/lib/debian_root.sh"
pin_to_debian_12 "$root/scripts/build_windows.sh" "$@"
install_missing_packages "${DRAVIX_WINDOWS_PACKAGES[@]}"

# build FOLDER PROCESSOR [cmake arguments]
build() {
    local folder="$1" processor="$2"
    shift 2
    cmake -S "$root" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$processor.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DBUILD_TESTING=OFF \
        -DDRAVIX_GTEST_SOURCE_DIR=/usr/src/googletest "$@" >/dev/null
    cmake --build "$folder" --parallel "$(nproc)"
    echo "Built $folder/dravix.exe ($(($(stat -c %s "$folder/dravix.exe") / 1024)) KiB)"
}

echo "Toolchain: $(x86_64-w64-mingw32-g++-win32 --version | head -n 1) and" \
    "$(i686-w64-mingw32-g++-win32 --version | head -n 1), Debian $(cat /etc/debian_version)"
folder="${DRAVIX_BUILD_DIR:-$root/build-windows}"
build "$folder" x86_64 "$@"
build "$folder-x86" i686 "$@"
