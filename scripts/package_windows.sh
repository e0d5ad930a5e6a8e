#!/usr/bin/env bash
# Builds the Windows program (as scripts/build_windows.sh does) and its two downloads:
# build-windows/dravix-<version>-win64.zip, the portable program, and
# build-windows/dravix-<version>-setup.exe, the per-user installer, with build-windows/SHA256SUMS.
# Every time in them is the last commit's, so two builds of one commit give the same bytes.
# Extra arguments go to cmake; the build folder is build-windows/ unless DRAVIX_BUILD_DIR names
# another.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
install_missing_packages nsis git python3 unzip
DRAVIX_BUILD_DIR="$build" "$root/scripts/build_windows.sh" "$@" >/dev/null

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
short="$(sed -n 's/^#define DRAVIX_VERSION_SHORT "\(.*\)"$/\1/p' "$build/generated/dravix_version.h")"
epoch="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)"

# What both downloads hold: the program, and the licence and a short guide as every Notepad
# shows them (Windows line ends; the guide in UTF-8 with a byte order mark).
stage="$build/package"
rm -rf "$stage"
mkdir -p "$stage"
cp "$build/dravix.exe" "$stage/dravix.exe"
sed 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
{
    printf '\xEF\xBB\xBF'
    sed "s/@DRAVIX_VERSION_SHORT@/$short/; s/\$/\r/" "$root/resources/windows/readme-zh.txt"
} >"$stage/说明.txt"

zip="dravix-$version-win64.zip"
setup="dravix-$version-setup.exe"
rm -f "$build/$zip" "$build/$setup"
python3 "$root/scripts/lib/make_zip.py" "$build/$zip" "$epoch" \
    "$stage/dravix.exe" "$stage/LICENSE.txt" "$stage/说明.txt"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION_SHORT="$short" \
    -DFILES="$stage" -DICON="$root/resources/dravix.ico" -DOUTFILE="$build/$setup" \
    "$root/resources/windows/dravix.nsi"
(cd "$build" && sha256sum "$zip" "$setup" >SHA256SUMS)
cat "$build/SHA256SUMS"
