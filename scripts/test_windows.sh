#!/usr/bin/env bash
# Cross-compiles Dravix for 64-bit Windows with mingw-w64 (scripts/build_windows.sh) and runs its
# tests under Wine on a private Xvfb display: the calculation's, the native window's scenario table
# and looks (at 96 and at 144 dots per inch), and its import table.
# The build folder is build-windows/ unless DRAVIX_BUILD_DIR names another.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
DRAVIX_BUILD_DIR="$build" "$root/scripts/build_windows.sh" -DBUILD_TESTING=ON

wine="$(sed -n 's/^DRAVIX_WINE64:FILEPATH=//p' "$build/CMakeCache.txt")"
# shellcheck source=lib/wine.sh
source "$root/scripts/lib/wine.sh"
trap stop_wine EXIT
start_display
prepare_prefix "$build/wine"
prepare_prefix "$build/wine-144" 144
export WINEPREFIX="$build/wine"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)"
