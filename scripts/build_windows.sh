#!/usr/bin/env bash
# Installs what the Windows build needs and cross-compiles Dravix for 64-bit Windows with
# mingw-w64: build-windows/dravix.exe, one static, stripped GUI program that needs no DLL but
# Windows' own. Extra arguments go to cmake; the build folder is build-windows/ unless
# DRAVIX_BUILD_DIR names another.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
install_missing_packages "${DRAVIX_WINDOWS_PACKAGES[@]}"

build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DBUILD_TESTING=OFF \
    -DDRAVIX_GTEST_SOURCE_DIR=/usr/src/googletest "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
echo "Built $build/dravix.exe ($(($(stat -c %s "$build/dravix.exe") / 1024)) KiB)"
