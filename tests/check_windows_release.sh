#!/usr/bin/env bash
# The Windows downloads under Wine, in a fresh prefix: the installer, silent, into a folder of
# the user's choosing and into the default one, twice (over itself); its files, shortcuts and
# "Apps & features" entry; the installed program starting; installer and uninstaller refusing
# while Dravix runs; the uninstaller keeping a file of the user's own; and after the last
# uninstall, the prefix's files and registry as they were before. Then the zips, unpacked and their
# programs started.
# Usage: check_windows_release.sh BUILD_DIR [X86_RUNNER...], with DISPLAY set
# (scripts/test_windows.sh runs it). The 32-bit program is started under X86_RUNNER (see
# find_x86_runner in scripts/lib/wine.sh), and not at all where wine32 is set empty.
set -euo pipefail

build="$(cd "$1" && pwd)"
shift
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
setup="$build/dravix-$version-win64-setup.exe"
wine="${wine:-/usr/lib/wine/wine64}"
wine32="${wine32-/usr/lib/wine/wine}"
wineserver="${wineserver:-/usr/lib/wine/wineserver}"
export WINEPREFIX="$build/wine-release" WINEDEBUG=-all
# No menu entries on the host for the shortcuts the installer makes.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravix'
work="$(mktemp -d)"
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
# Wine links the user's Desktop and Documents to the home folder: a home of the test's own keeps
# the shortcuts off this machine's.
export HOME="$work/home"
mkdir -p "$HOME"

status=0
check() {
    if ! "$@"; then
        echo "failed: $*"
        status=1
    fi
}
settle() { "$wineserver" -w; }
# The files (through the links into the test's home) and the registry of programs and users.
# Left out: Wine's record of the display devices, which changes with every start; the temporary
# folder, where an NSIS uninstaller runs from a copy of itself (so that it can delete
# uninstall.exe) and leaves that copy's empty folder for Windows to clean; and the keys of Wine's
# own debugger (below).
snapshot() {
    (cd "$WINEPREFIX" && find -L drive_c -path 'drive_c/users/*/Temp' -prune -o -printf '%y %p\n' |
        LC_ALL=C sort) >"$1.files"
    "$wine" regedit /E "$1.user.reg" HKEY_CURRENT_USER && settle
    "$wine" regedit /E "$1.machine.reg" 'HKEY_LOCAL_MACHINE\Software' && settle
    iconv -f UTF-16 -t UTF-8 "$1.user.reg" "$1.machine.reg" >"$1.all.reg"
    awk '/^\[/ { skip = /^\[HKEY_CURRENT_USER\\(Console|Software\\Wine\\WineDbg)[]\\]/ } !skip' \
        "$1.all.reg" >"$1.reg"
}
# A process that crashes starts Wine's debugger, which prints its report into this check's output
# and leaves keys of its own in the registry. A crash of Dravix's program, installer or
# uninstaller shows in what they leave undone, which the checks here catch; the debugger's keys say
# only that some process crashed, and are left out of the comparison.
say_if_a_process_crashed() {
    if grep -q '^\[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg\]' "$1.all.reg"; then
        echo "Wine's debugger ran during the check: a process crashed (its report is above)."
    fi
}
# window_appears SECONDS
window_appears() {
    timeout "$1" xdotool search --sync --onlyvisible --name '^Dravix$' >/dev/null
}
installed() {
    local folder="$WINEPREFIX/drive_c/$1"
    local file
    for file in dravix.exe LICENSE.txt 说明.txt uninstall.exe; do
        check test -f "$folder/$file"
    done
    check cmp -s "$folder/dravix.exe" "$build/dravix.exe"
    local query
    query="$("$wine" reg query "$key" 2>/dev/null | tr -d "\r" || true)"
    settle
    for value in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation \
        UninstallString QuietUninstallString EstimatedSize NoModify NoRepair; do
        check grep -q "^ *$value " <<<"$query"
    done
    check grep -q "DisplayVersion *REG_SZ *$version\$" <<<"$query"
    check grep -qF "QuietUninstallString    REG_SZ    \"C:\\${1//\//\\}\\uninstall.exe\" /S" \
        <<<"$query"
    local profile="$WINEPREFIX/drive_c/users/$(id -un)"
    check test -f "$profile/Desktop/Dravix.lnk"
    check test -f "$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Dravix.lnk"
}

rm -rf "$WINEPREFIX"
# Made where 32-bit programs run, or the prefix lacks Wine's 32-bit side and no 32-bit program
# starts in it.
"$@" "$wine" wineboot --init >/dev/null 2>&1 && settle
snapshot "$work/before"

# Into a folder of the user's choosing, then away again; a file of the user's own stays, and so
# does the folder with it.
"$wine" "$setup" /S '/D=C:\Apps\Dravix' && settle
installed "Apps/Dravix"
echo "我的号码" >"$WINEPREFIX/drive_c/Apps/Dravix/我的号码.txt"
"$wine" 'C:\Apps\Dravix\uninstall.exe' /S && settle
check test "$(ls "$WINEPREFIX/drive_c/Apps/Dravix")" = "我的号码.txt"
check test -z "$(find -L "$WINEPREFIX/drive_c/users" -name Dravix.lnk)"
rm -r "$WINEPREFIX/drive_c/Apps"

# Into the default folder, twice: the second over the first.
user_programs="users/$(id -un)/AppData/Local/Programs"
installer_folder="C:\\${user_programs//\//\\}\\Dravix"
"$wine" "$setup" /S && settle
"$wine" "$setup" /S && settle
installed "$user_programs/Dravix"

# The installed program starts and shows its window; while it runs, neither the installer nor
# the uninstaller goes ahead.
"$wine" "$installer_folder\\dravix.exe" &
check window_appears 30
refused=0
"$wine" "$setup" /S || refused=$?
check test "$refused" -eq 2
# An NSIS uninstaller copies itself to %TEMP% and ends at once, leaving the copy to run; told
# where it is installed (_?=), it runs in place and ends with the copy's exit code.
refused=0
"$wine" "$installer_folder\\uninstall.exe" /S "_?=$installer_folder" || refused=$?
check test "$refused" -eq 2
check test -f "$WINEPREFIX/drive_c/$user_programs/Dravix/dravix.exe"
"$wineserver" -k && settle

# Taken away: the prefix is as it was.
"$wine" "$installer_folder\\uninstall.exe" /S && settle
snapshot "$work/after"
say_if_a_process_crashed "$work/after"
check diff "$work/before.files" "$work/after.files"
check diff "$work/before.reg" "$work/after.reg"

# The zips: their entries in order, each with its own program; each unpacked anywhere, its program
# starts (the 32-bit one where this machine runs 32-bit programs).
for kind in win32 win64; do
    zip="$build/dravix-$version-$kind.zip"
    check test "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "dravix.exe LICENSE.txt 说明.txt "
    unzip -q "$zip" -d "$work/$kind"
done
check cmp -s "$work/win32/dravix.exe" "$build-x86/dravix.exe"
check cmp -s "$work/win64/dravix.exe" "$build/dravix.exe"
"$wine" "$work/win64/dravix.exe" &
check window_appears 30
"$wineserver" -k && settle
if [ -n "$wine32" ]; then
    "$@" "$wine32" "$work/win32/dravix.exe" &
    check window_appears 600
    "$wineserver" -k
fi
exit "$status"
