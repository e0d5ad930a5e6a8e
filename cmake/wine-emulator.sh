#!/bin/sh
# Runs a Windows program under Wine for CMake and CTest, and passes its output on once it ends.
# The first program that a wineserver runs starts Wine's own services, which inherit its standard
# output and error and, under a persistent server, outlive it: were those the pipes that CTest
# reads, CTest would wait for the services to close them, for ever.
# Usage: wine-emulator.sh WINE PROGRAM [ARGUMENTS...]
out="$(mktemp)"
err="$(mktemp)"
pass_on() {
    cat "$out"
    cat "$err" >&2
    rm -f "$out" "$err"
}
trap 'pass_on; exit 143' TERM
trap 'pass_on; exit 130' INT
"$@" >"$out" 2>"$err"
status=$?
pass_on
exit "$status"
