#!/usr/bin/env bash
# Builds the Windows programs and their start-up probes, checks each program's size against the
# limit below, then measures each Dravix's start-up and memory under Wine against the least Chinese
# Win32 window of its own kind (bench/win32_startup.py): the 64-bit one, then the 32-bit one where
# this machine runs 32-bit programs natively (see find_x86_runner in scripts/lib/wine.sh).
# Arguments: the number of runs (15 unless given).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
# shellcheck source=lib/debian_root.sh
source "$root/scripts/lib/debian_root.sh"
# Under Debian 12's Wine, as the suite runs.
pin_to_debian_12 "$root/scripts/bench_windows.sh" "$@"
build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
DRAVIX_BUILD_DIR="$build" "$root/scripts/build_windows.sh" >/dev/null
# A small download, as a calculator should be.
limit_kib=400
status=0
for program in "$build/dravix.exe" "$build-x86/dravix.exe"; do
    size=$(($(stat -c %s "$program") / 1024))
    echo "$program: $size KiB (target <= $limit_kib)"
    [ "$size" -le "$limit_kib" ] || status=1
done
# shellcheck source=lib/wine.sh
source "$root/scripts/lib/wine.sh"
start_wine "$build/wine"
echo "== 64-bit"
WINE="$wine" python3 "$root/bench/win32_startup.py" "$build" "${1:-15}" || status=1
# Under qemu the times would be qemu's, not the program's.
if find_x86_runner && [ "${#x86_runner[@]}" -eq 0 ]; then
    echo "== 32-bit, run $x86_how"
    WINE="$wine32" python3 "$root/bench/win32_startup.py" "$build-x86" "${1:-15}" || status=1
else
    echo "== 32-bit: not measured, since this machine runs 32-bit programs $x86_how"
fi
exit "$status"
