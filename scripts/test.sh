#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
# The build folder is build/ unless DRAVIX_BUILD_DIR names another; extra arguments go to cmake.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
install_missing_packages "${DRAVIX_BUILD_PACKAGES[@]}" "${DRAVIX_TEST_PACKAGES[@]}"

build="${DRAVIX_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@"
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
