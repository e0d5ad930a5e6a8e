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
# Each icon image is a plain bitmap as every Windows shell shows it: a 40-byte header over twice the
# image's height (colours and mask), uncompressed; together 48, 32 and 16 px at 4, 8 and 32 bits.
images=""
first_words='/RT_ICON/ { getline; getline; gsub(/[ L]/, ""); print }'
for words in $(awk "$first_words" "$work/decompiled.rc"); do
    # shellcheck disable=SC2046
    set -- $(echo "$words" | tr ',' ' ')
    if [ "$1" != 0x28 ] || [ $(($3)) -ne $((2 * $2)) ] || [ "$5" != 0x0 ]; then
        echo "icon image is not an uncompressed bitmap with its mask: $words"
        status=1
    fi
    images="$images $(($2))/$(($4 >> 16))"
done
expected=" 48/4 48/8 48/32 32/4 32/8 32/32 16/4 16/8 16/32"
if [ "$(echo "$images" | tr ' ' '\n' | sort)" != "$(echo "$expected" | tr ' ' '\n' | sort)" ]; then
    echo "icon images (size/bits): $images, expected $expected"
    status=1
fi
exit "$status"
