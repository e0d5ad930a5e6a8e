#!/bin/sh
# Builds the Debian package into a temporary folder and checks it with lintian, which must report
# no error and no warning.
# Usage: check_package.sh BUILD_DIR
set -eu
if ! command -v lintian >/dev/null 2>&1; then
    echo "skipped: lintian is not installed"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$work" >/dev/null
lintian --fail-on error,warning --display-info "$work"/*.deb
