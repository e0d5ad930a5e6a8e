#!/bin/sh
# Builds the Debian package into a temporary folder, checks it with lintian, which must report no
# error and no warning, and checks the program it installs with hardening-check.
# Usage: check_package.sh BUILD_DIR
set -eu
for tool in lintian hardening-check; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$work" >/dev/null
lintian --fail-on error,warning --display-info "$work"/*.deb

dpkg-deb -x "$work"/*.deb "$work/root"
program="$work/root/usr/bin/dravix"
# Branch protection is AArch64's, though Debian 13's hardening-check asks every processor for it.
not_here=""
if [ "$(uname -m)" != aarch64 ] && hardening-check --help | grep -q -- --nobranchprotection; then
    not_here=--nobranchprotection
fi
report="$(hardening-check --verbose --nofortify --nocfprotection $not_here "$program")" || {
    echo "$report"
    exit 1
}
echo "$report"
status=0
# Two lines can be no more than their conditions allow. Fortified functions: the program's copies
# are those of std::string and Qt's containers, which call memcpy and memmove as the compiler's
# built-ins, where the C library's fortified forms cannot stand; any other unprotected function is
# a fault.
unprotected="$(echo "$report" | sed -n 's/^\tunprotected: //p' | grep -vx 'memcpy\|memmove' || true)"
if [ -n "$unprotected" ]; then
    echo "unprotected functions: $unprotected"
    status=1
fi
# Control-flow integrity: the program is marked for it only when every object linked in is, and
# the C library's start files of Debian 12 and 13 are not. Where they are, it must be marked; where
# they are not, its own code must be built for it: main, which the C library calls through a
# pointer, begins with the instruction that marks such a call's target.
if [ "$(uname -m)" = x86_64 ]; then
    if readelf -n "$(gcc -print-file-name=Scrt1.o)" | grep -q 'x86 feature: IBT, SHSTK'; then
        echo "$report" | grep -q '^ Control flow integrity: yes' || {
            echo "not marked for control-flow integrity, though the C library's start files are"
            status=1
        }
    elif ! objdump -d --disassemble=main "$1/window/qt/dravix" | grep -A1 '<main>:' |
        grep -q endbr64; then
        echo "main does not begin with endbr64: the code is not built for control-flow integrity"
        status=1
    fi
fi
exit "$status"
