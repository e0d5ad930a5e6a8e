#!/usr/bin/env bash
# Builds the Windows program and its start-up probes, then measures Dravix's start-up and memory
# under Wine against the least Win32 window (bench/win32_startup.py). Arguments: the number of
# runs (15 unless given).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
DRAVIX_BUILD_DIR="$build" "$root/scripts/build_windows.sh" >/dev/null
# shellcheck source=lib/wine.sh
source "$root/scripts/lib/wine.sh"
start_wine "$build/wine"
WINE="$wine" python3 "$root/bench/win32_startup.py" "$build" "${1:-15}"
