#!/bin/sh
# Checks that a Windows program imports only what Windows 7 SP1 already has: every DLL!function of
# its import table must be on the list, which holds only functions of Windows 7's own DLLs. A
# function of later Windows must be looked up at run time instead, or the program fails to start
# there with "entry point not found"; and a DLL that is not Windows' own would have to be shipped.
# Usage: check_windows_imports.sh PROGRAM ALLOWED_LIST
set -eu
imports="$(x86_64-w64-mingw32-objdump -p "$1" | awk '
    /^The Import Tables/ { inside = 1 }
    /^The Function Table/ { inside = 0 }
    inside && /DLL Name:/ { dll = toupper($3) }
    inside && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll "!" $3 }')"
if [ -z "$imports" ]; then
    echo "no imports read from $1"
    exit 1
fi
unknown="$(echo "$imports" | sort -u | grep -vxF -f "$2" || true)"
if [ -n "$unknown" ]; then
    echo "imported, but not known to be in Windows 7 SP1:"
    echo "$unknown"
    exit 1
fi
echo "$(echo "$imports" | wc -l) imports, all in Windows 7 SP1"
