#!/usr/bin/env bash
# Cross-compiles Dravix and its tests for 64-bit and 32-bit Windows with mingw-w64
# (scripts/build_windows.sh) and runs the 64-bit tests under Wine on a private Xvfb display: the
# calculation's, the native window's scenario table and looks (at 96 and at 144 dots per inch), and
# the checks of the program's file. Debian's Wine runs 32-bit programs as 32-bit Linux programs,
# which this machine's kernel does not run: of the 32-bit build only the checks of the program's
# file run. Then the downloads (scripts/package_windows.sh): installed, started and uninstalled in a
# fresh prefix, the zips opened and the 64-bit one started, and all built once more from a fresh
# clone elsewhere to the same bytes. The build folders are build-windows/ and build-windows-x86/
# unless DRAVIX_BUILD_DIR names another for the first (and with -x86 after it, the second).
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
# A test that hangs fails after ten minutes; the slowest takes about one.
(cd "$build" && WINEPREFIX="$build/wine" ctest --output-on-failure --parallel "$(nproc)" \
    --timeout 600)
(cd "$build-x86" && ctest --output-on-failure)

echo "== The Windows downloads"
DRAVIX_BUILD_DIR="$build" "$root/scripts/package_windows.sh" -DBUILD_TESTING=ON
wine="$wine" wineserver="$wineserver" "$root/tests/check_windows_release.sh" "$build"
work="$(mktemp -d)"
git clone --quiet "$root" "$work/second checkout/dravix"
DRAVIX_BUILD_DIR="$work/second checkout/build" \
    "$work/second checkout/dravix/scripts/package_windows.sh" >/dev/null
if ! cmp "$build/SHA256SUMS" "$work/second checkout/build/SHA256SUMS"; then
    echo "A second build of the Windows downloads differs:" >&2
    diff "$build/SHA256SUMS" "$work/second checkout/build/SHA256SUMS" >&2 || true
    exit 1
fi
rm -rf "$work"
echo "Reproducible: a second build gives the same downloads"
