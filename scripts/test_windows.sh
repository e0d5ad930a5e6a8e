#!/usr/bin/env bash
# Cross-compiles the calculation and its tests for 64-bit Windows with mingw-w64, against
# GoogleTest built from Debian's sources, and runs the tests under Wine.
# The build folder is build-windows/ unless DRAVIX_BUILD_DIR names another.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
install_missing_packages cmake make g++-mingw-w64-x86-64-posix googletest wine64

build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
export WINEPREFIX="$build/wine" WINEDEBUG=-all
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DDRAVIX_WINDOW=OFF \
    -DDRAVIX_GTEST_SOURCE_DIR=/usr/src/googletest
cmake --build "$build" --parallel "$(nproc)"
# Wine sets up its prefix on its first run, which takes longer than finding a program's tests may;
# doing it first, with the Wine the toolchain found, keeps it out of the tests.
wine="$(sed -n 's/^DRAVIX_WINE64:FILEPATH=//p' "$build/CMakeCache.txt")"
"$wine" wineboot --init
cd "$build"
ctest --output-on-failure --parallel "$(nproc)"
