#!/usr/bin/env bash
# Builds the Windows programs (as scripts/build_windows.sh does) and their downloads, in
# build-windows/: the portable program for 32-bit and for 64-bit Windows,
# dravix-<version>-win32.zip and dravix-<version>-win64.zip, and the per-user installer of the
# 64-bit program, dravix-<version>-win64-setup.exe, with their SHA256SUMS. Every time in them is
# the last commit's, so two builds of one commit give the same bytes. Extra arguments go to cmake;
# the build folders are build-windows/ and build-windows-x86/ unless DRAVIX_BUILD_DIR names
# another for the first (and with -x86 after it, the second).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
# shellcheck source=lib/debian_root.sh
source "$root/scripts/lib/debian_root.sh"
pin_to_debian_12 "$root/scripts/package_windows.sh" "$@"
install_missing_packages nsis git python3 unzip
DRAVIX_BUILD_DIR="$build" "$root/scripts/build_windows.sh" "$@" >/dev/null

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
short="$(sed -n 's/^#define DRAVIX_VERSION_SHORT "\(.*\)"$/\1/p' "$build/generated/dravix_version.h")"
epoch="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)"

# What each download holds: a program, and the licence and a short guide as every Notepad shows
# them (Windows line ends; the guide in UTF-8 with a byte order mark).
stage="$build/package"
rm -rf "$stage"
mkdir -p "$stage"
sed 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
{
    printf '\xEF\xBB\xBF'
    sed "s/@DRAVIX_VERSION_SHORT@/$short/; s/\$/\r/" "$root/resources/windows/readme-zh.txt"
} >"$stage/说明.txt"

downloads=()
# portable_zip PROGRAM NAME: the program as dravix.exe, with the licence and the guide.
portable_zip() {
    local zip="dravix-$version-$2.zip"
    rm -f "$build/$zip"
    python3 "$root/scripts/lib/make_zip.py" "$build/$zip" "$epoch" \
        "$1=dravix.exe" "$stage/LICENSE.txt" "$stage/说明.txt"
    downloads+=("$zip")
}
portable_zip "$build-x86/dravix.exe" win32
portable_zip "$build/dravix.exe" win64
# The installer installs the 64-bit program. It is a 64-bit program itself, so that a 32-bit
# Windows refuses it at once instead of installing what it cannot run.
setup="dravix-$version-win64-setup.exe"
cp "$build/dravix.exe" "$stage/dravix.exe"
rm -f "$build/$setup"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION_SHORT="$short" \
    -DFILES="$stage" -DICON="$root/resources/dravix.ico" -DOUTFILE="$build/$setup" \
    "$root/resources/windows/dravix.nsi"
downloads+=("$setup")
(cd "$build" && sha256sum "${downloads[@]}" >SHA256SUMS)
cat "$build/SHA256SUMS"
