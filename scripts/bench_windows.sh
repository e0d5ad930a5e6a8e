#!/usr/bin/env bash
# Builds the Windows programs and their start-up probes, checks that each program is at most
# 400 KiB, then measures the 64-bit Dravix's start-up and memory under Wine against the least
# Win32 window (bench/win32_startup.py). Arguments: the number of runs (15 unless given).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
DRAVIX_BUILD_DIR="$build" "$root/scripts/build_windows.sh" >/dev/null
status=0
for program in "$build/dravix.exe" "$build-x86/dravix.exe"; do
    size=$(($(stat -c %s "$program") / 1024))
    echo "$program: $size KiB (target <= 400)"
    [ "$size" -le 400 ] || status=1
done
# shellcheck source=lib/wine.sh
source "$root/scripts/lib/wine.sh"
start_wine "$build/wine"
WINE="$wine" python3 "$root/bench/win32_startup.py" "$build" "${1:-15}" || status=1
exit "$status"
