#!/bin/sh
# Installs the build into a temporary DESTDIR and checks the installed tree.
# Usage: check_install.sh BUILD_DIR APP_ID VERSION HOMEPAGE_MISSING_WARNED
set -eu
build="$1" app_id="$2" version="$3" homepage_missing_warned="$4"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

status=0
check() {
    if ! "$@"; then
        echo "failed: $*"
        status=1
    fi
}
check test -x "$root/usr/bin/dravix"
check test -f "$root/usr/share/applications/$app_id.desktop"
check grep -qx "Icon=$app_id" "$root/usr/share/applications/$app_id.desktop"
check test -f "$root/usr/share/metainfo/$app_id.metainfo.xml"
check grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$app_id.metainfo.xml"
for size in 16 32 48 64 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    check test -f "$icon"
    # The PNG header's width and height, as 4-byte big-endian numbers from byte 16.
    check test "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //')" = \
        "0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))"
done
check test -f "$root/usr/share/doc/dravix/copyright"
check gzip -t "$root/usr/share/doc/dravix/changelog.gz"
check gzip -t "$root/usr/share/man/man1/dravix.1.gz"
# Where lintian reports a missing homepage, the package says why.
overrides="$root/usr/share/lintian/overrides/dravix"
if [ "$homepage_missing_warned" = TRUE ]; then
    check grep -qx 'dravix: appstream-metadata-validation-failed' "$overrides"
else
    check test ! -e "$overrides"
fi
# Only the program, its desktop files and its documents: no tests, benchmarks or libraries.
check test "$(find "$root" -type f ! -path "$overrides" | wc -l)" -eq 12
# The installed program starts and stays up until it is stopped.
started=0
QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/dravix" >/dev/null 2>&1 || started=$?
check test "$started" -eq 124
exit "$status"
