#!/usr/bin/env bash
# Installs what is missing, builds Dravix (Release) and opens it, in the desktop session it is run
# from.
set -euo pipefail

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Dravix is a desktop program, and no display was found (neither DISPLAY nor" \
        "WAYLAND_DISPLAY is set): run scripts/run.sh in a desktop session." >&2
    exit 1
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
install_missing_packages "${DRAVIX_BUILD_PACKAGES[@]}" qt6-wayland

build="${DRAVIX_BUILD_DIR:-$root/build-release}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target dravix
exec "$build/window/qt/dravix"
