#!/bin/sh
# Runs a Windows program under Wine for CMake and CTest, and passes its output on as it comes.
# The first program that a wineserver runs starts Wine's own services, which inherit its standard
# output and error and, under a persistent server, outlive it: were those the pipes that CTest
# reads, CTest would wait for the services to close them, for ever. So the program writes to two
# files, which tail copies on until the program ends: a test that hangs and is killed has shown
# all it printed. The files are removed at once, and go when their last writer closes them,
# however the run ends.
# Usage: wine-emulator.sh WINE PROGRAM [ARGUMENTS...]
out="$(mktemp)"
err="$(mktemp)"
exec 3>"$out" 4>"$err"
rm -f "$out" "$err"
"$@" >&3 2>&4 &
program=$!
follow() {
    tail --lines=+1 --sleep-interval=0.1 --follow --pid="$program" "/proc/$$/fd/$1"
}
follow 4 >&2 &
follow 3
wait "$program"
status=$?
wait
exit "$status"
