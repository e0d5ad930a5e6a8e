#!/usr/bin/env bash
# Cross-compiles Dravix and its tests for 64-bit and 32-bit Windows (scripts/build_windows.sh) and
# runs each build's whole suite under Wine on a private Xvfb display, in Debian 12 (elsewhere in a
# Debian 12 system that it makes and keeps, so that the tests run on the very programs users get):
# the calculation's tests, the window's tables at 96 and at 144 dots per inch, the program through
# its own message loop, and the checks of the program's file. The 32-bit programs run as
# scripts/lib/wine.sh finds this machine can run them; where it cannot, only their file checks run.
# Then the downloads (scripts/package_windows.sh): installed, started and uninstalled in a fresh
# prefix, the zips' programs started, and all built once more from a fresh clone to the same
# bytes. The build folders are build-windows/ and build-windows-x86/ unless DRAVIX_BUILD_DIR names
# another for the first (and with -x86 after it, the second).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
# shellcheck source=lib/debian_root.sh
source "$root/scripts/lib/debian_root.sh"
pin_to_debian_12 "$root/scripts/test_windows.sh" "$@"
build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
DRAVIX_BUILD_DIR="$build" "$root/scripts/build_windows.sh" -DBUILD_TESTING=ON

# shellcheck source=lib/wine.sh
source "$root/scripts/lib/wine.sh"
trap stop_wine EXIT
start_display

echo "== The 64-bit programs"
# The slowest test takes about a minute.
run_suite "$build" 600
x86_runs=yes
find_x86_runner || x86_runs=
echo "== The 32-bit programs, run $x86_how"
if [ -n "$x86_runs" ]; then
    # Under qemu the window's test takes minutes, and a 32-bit process that has answered or asked
    # a screen reader in another process may crash once it has ended, after its exit code is
    # given (qemu's doing: natively it ends cleanly); a test that fails so gets a second run.
    cmake "$build-x86" -UDRAVIX_WINE >/dev/null
    suite=("$build-x86" 600)
    [ "${#x86_runner[@]}" -eq 0 ] || suite=("$build-x86" 3600 --repeat until-pass:2)
    "${x86_runner[@]}" bash -c 'source "$0"; trap stop_wine EXIT; run_suite "$@"' \
        "$root/scripts/lib/wine.sh" "${suite[@]}"
else
    # The build is told that no Wine runs its tests, so that ctest lists the file checks alone.
    cmake "$build-x86" -DDRAVIX_WINE=OFF >/dev/null
    (cd "$build-x86" && ctest --output-on-failure --tests-regex '^windows_program$')
fi

echo "== The Windows downloads"
DRAVIX_BUILD_DIR="$build" "$root/scripts/package_windows.sh" -DBUILD_TESTING=ON
wine="$wine" wine32="${x86_runs:+$wine32}" wineserver="$wineserver" \
    "$root/tests/check_windows_release.sh" "$build" "${x86_runner[@]}"
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
