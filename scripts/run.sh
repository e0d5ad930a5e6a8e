#!/usr/bin/env bash
# Installs what is missing, builds Dravix (Release) and opens it.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
install_missing_packages "${DRAVIX_BUILD_PACKAGES[@]}" qt6-wayland

build="${DRAVIX_BUILD_DIR:-$root/build-release}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target dravix

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Dravix is a desktop program and no display was found; to run it without one, use: xvfb-run scripts/run.sh" >&2
    exit 1
fi
exec "$build/window/qt/dravix"
