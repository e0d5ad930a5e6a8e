#!/usr/bin/env bash
# Builds the Debian package twice from the last commit, in two checkouts in different folders,
# and checks that the two packages are the same to the byte; where they differ, diffoscope says
# where.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=lib/packages.sh
source "$root/scripts/lib/packages.sh"
install_missing_packages "${DRAVIX_BUILD_PACKAGES[@]}" git dpkg-dev diffoscope-minimal

# Every time stamp in the package is the last commit's.
SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
export SOURCE_DATE_EPOCH
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

packages=()
for checkout in first "second checkout, elsewhere"; do
    source="$work/$checkout/dravix"
    git clone --quiet "$root" "$source"
    # As if checked out on another day: no file time may reach the package.
    if [ "${#packages[@]}" -eq 1 ]; then
        find "$source" -path "$source/.git" -prune -o -type f -exec touch -d "1 day ago" {} +
    fi
    cmake -S "$source" -B "$source/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$source/build" --parallel "$(nproc)" --target dravix package_documents >/dev/null
    (cd "$source/build" && cpack -G DEB >/dev/null)
    packages+=("$(ls "$source"/build/dravix_*.deb)")
done

if cmp --quiet "${packages[0]}" "${packages[1]}"; then
    sum="$(sha256sum <"${packages[0]}" | cut -d' ' -f1)"
    echo "Reproducible: both builds give $(basename "${packages[0]}"), sha256 $sum"
    exit 0
fi
echo "The two builds differ:" >&2
diffoscope --text - "${packages[@]}" >&2 || true
exit 1
