#!/bin/sh
# Compiles the Windows resource script with mingw's windres and checks what it holds.
# Usage: check_windows_resource.sh RC_FILE GENERATED_INCLUDE_DIR
set -eu
windres=x86_64-w64-mingw32-windres
if ! command -v "$windres" >/dev/null 2>&1; then
    echo "skipped: $windres is not installed"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# windres runs the C preprocessor; the host's stands in for mingw's gcc.
"$windres" --preprocessor=cpp --preprocessor-arg=-DRC_INVOKED -I "$2" -I "$(dirname "$1")" \
    -i "$1" -O res -o "$work/dravix.res"
"$windres" -i "$work/dravix.res" -O rc -o "$work/decompiled.rc"
status=0
for expected in 'Has 9 elements' 'FILEVERSION 1, 0, 0, 0' 'PRODUCTVERSION 1, 0, 0, 0' \
    'BLOCK "080404B0"' 'VALUE "FileVersion", "1.00"' 'VALUE "ProductVersion", "1.00"' \
    'VALUE "ProductName", "Dravix"' 'VALUE "Translation", 0x804, 1200'; do
    if ! grep -qF "$expected" "$work/decompiled.rc"; then
        echo "missing from the compiled resources: $expected"
        status=1
    fi
done
exit "$status"
