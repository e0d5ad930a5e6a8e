#!/usr/bin/env bash
# Starts Dravix under Xvfb, types the draw 1 2 3 and Enter, and saves docs/screenshot.png.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
install_missing_packages "${DRAVIX_BUILD_PACKAGES[@]}" xvfb xauth xdotool imagemagick

build="${DRAVIX_BUILD_DIR:-$root/build-release}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target dravix

mkdir -p "$root/docs"
xvfb-run --auto-servernum --server-args="-screen 0 640x480x24 -dpi 96" bash -c '
    set -euo pipefail
    "$1" &
    app=$!
    window="$(xdotool search --sync --onlyvisible --name "^Dravix$" | head -n 1)"
    xdotool windowfocus --sync "$window"
    xdotool type --delay 100 123
    xdotool key Return
    sleep 0.5
    import -window "$window" "$2"
    kill "$app"
' screenshot "$build/window/qt/dravix" "$root/docs/screenshot.png"
echo "Saved docs/screenshot.png"
