#!/usr/bin/env bash
# Cross-compiles Dravix and its tests for 64-bit and 32-bit Windows (scripts/build_windows.sh) and
# runs each build's whole suite under Wine on a private Xvfb display, in Debian 12 (elsewhere in a
# Debian 12 system that it makes and keeps, so that the tests run on the very programs users get):
# the calculation's tests, the window's tables at 96 and at 144 dots per inch, the program through
# its own message loop, and the checks of the program's file. The 32-bit programs run as
# scripts/lib/wine.sh finds this machine can run them; where it cannot, only their file checks run.
# Then the downloads (scripts/package_windows.sh): installed, started and uninstalled in a fresh
# prefix, the zips' programs started, and all built once more from the same sources, uncommitted
# changes too, in a checkout elsewhere, to the same bytes. The build folders are build-windows/ and build-windows-x86/ unless DRAVIX_BUILD_DIR names
# another for the first (and with -x86 after it, the second).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
# shellcheck source=lib/debian_root.sh
source "$root/scripts/lib/debian_root.sh"
# Debian 12's 32-bit Wine installs only beside 64-bit libraries of the same versions, which a
# mirror whose i386 security index lags does not serve; Debian 12 as released, in the kept system,
# has both alike.
if [ "$(. /etc/os-release && echo "$ID $VERSION_ID")" = "debian 12" ] &&
    ! install_missing_packages "${DRAVIX_WINE32_PACKAGES[@]}" >/dev/null 2>&1; then
    export DRAVIX_IN_DEBIAN_12_SYSTEM="Debian 12's 32-bit Wine cannot be installed here"
fi
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
# The second build is of the very sources of the first, in a checkout elsewhere: the working tree
# as it is, uncommitted changes and new files too, as a commit dated as the last one, whose date is
# every time in the downloads.
work="$(mktemp -d)"
trap 'stop_wine; rm -rf "$work"' EXIT
second="$work/second checkout"
export GIT_AUTHOR_NAME=Dravix GIT_AUTHOR_EMAIL=dravix@localhost GIT_COMMITTER_NAME=Dravix \
    GIT_COMMITTER_EMAIL=dravix@localhost
GIT_COMMITTER_DATE="$(git -C "$root" log -1 --format=%cI)"
export GIT_COMMITTER_DATE GIT_AUTHOR_DATE="$GIT_COMMITTER_DATE"
GIT_INDEX_FILE="$work/index" git -C "$root" add --all
tree="$(GIT_INDEX_FILE="$work/index" git -C "$root" write-tree)"
snapshot="$(git -C "$root" commit-tree "$tree" -p HEAD -m "The working tree")"
git clone --quiet --no-checkout "$root" "$second/dravix"
git -C "$second/dravix" checkout --quiet "$snapshot"
DRAVIX_BUILD_DIR="$second/build" "$second/dravix/scripts/package_windows.sh" >/dev/null
if ! cmp "$build/SHA256SUMS" "$second/build/SHA256SUMS"; then
    echo "A second build of the same sources gives other Windows downloads:" >&2
    diff "$build/SHA256SUMS" "$second/build/SHA256SUMS" >&2 || true
    exit 1
fi
echo "Reproducible: a second build of the same sources gives the same downloads"
