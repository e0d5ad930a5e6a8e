#!/usr/bin/env bash
# Starts the Windows Dravix under Wine, in a Wine desktop of its own on a private Xvfb display,
# with the Chinese faces a Windows desktop has standing in, types the draw 1 2 3 and Enter, and
# saves docs/screenshot-windows.png.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
# shellcheck source=lib/debian_root.sh
source "$root/scripts/lib/debian_root.sh"
# Under Debian 12's Wine, as the suite runs.
pin_to_debian_12 "$root/scripts/screenshot_windows.sh" "$@"
build="${DRAVIX_BUILD_DIR:-$root/build-windows}"
DRAVIX_BUILD_DIR="$build" "$root/scripts/build_windows.sh" >/dev/null
install_missing_packages xdotool imagemagick
# shellcheck source=lib/wine.sh
source "$root/scripts/lib/wine.sh"
start_wine "$build/wine"

# The Wine desktop draws the window's frame and caption, as Windows does.
"$wine" explorer /desktop=Dravix,440x270 "$build/dravix.exe" &
desktop="$(xdotool search --sync --name '^Dravix - Wine desktop$' | head -n 1)"
sleep 2
# A click into the first box, as a person starts; the keys then go where the focus is.
xdotool mousemove --window "$desktop" 207 49 click 1
sleep 0.5
xdotool type --delay 150 123
xdotool key Return
sleep 1
mkdir -p "$root/docs"
import -window "$desktop" "$build/desktop.png"
# The window stands in the desktop's top left corner: the desktop's colour around it goes.
background="$(convert "$build/desktop.png" -format '%[pixel:p{439,269}]' info:)"
# Without the dates of its making, a picture made again of the same window is the same file.
convert "$build/desktop.png" -bordercolor "$background" -border 1 -trim +repage \
    -define png:exclude-chunks=date,time \
    "$root/docs/screenshot-windows.png"
echo "Saved docs/screenshot-windows.png"
