# A Debian system of a given release in a folder, made from Debian's archive, to build or test in
# as on a fresh machine of that release. Source it (after packages.sh), then:
#   make_debian_root SUITE FOLDER: makes the system once (a minute) and keeps it;
#   in_debian_root FOLDER COMMAND...: runs COMMAND in it as root, with /proc, /dev and /sys, the
#     project's folder and every folder in the array debian_root_binds at the same paths as outside;
#     the mounts end with the command;
#   pin_to_debian_12 SCRIPT [ARGUMENTS...]: returns at once on Debian 12; elsewhere, or where
#     DRAVIX_IN_DEBIAN_12_SYSTEM says why not here, runs SCRIPT in a kept Debian 12 system and
#     exits with its exit code.
# DRAVIX_DEBIAN_MIRROR names the archive (Debian's own by default), DRAVIX_CACHE the folder where
# the systems are kept (~/.cache/dravix by default).

debian_root_binds=()

# Making and entering such a system mounts folders, which only root may do: a user namespace would
# let a normal user mount, but not install Debian's packages with their owners, which apt needs.
require_root_for_debian_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "This needs a Debian $1 system, which only root can make and enter (mounts): run it" \
            "as root, or through sudo." >&2
        exit 1
    fi
}

make_debian_root() {
    local suite="$1" folder="$2"
    require_root_for_debian_root "$suite"
    if [ -x "$folder/usr/bin/apt-get" ]; then
        return 0
    fi
    install_missing_packages mmdebstrap mount
    echo "Making a Debian $suite system in $folder"
    rm -rf "$folder.new"
    mkdir -p "$(dirname "$folder")"
    mmdebstrap --quiet --variant=apt --include=ca-certificates,mount "$suite" "$folder.new" \
        "${DRAVIX_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
    mv "$folder.new" "$folder"
}

in_debian_root() {
    local folder="$1" project bind
    shift
    project="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
    install_missing_packages mount
    cp /etc/resolv.conf "$folder/etc/resolv.conf"
    for bind in "$project" "${debian_root_binds[@]}"; do
        mkdir -p "$bind" "$folder$bind"
    done
    unshare --mount --propagation private bash -euc '
        folder="$1"
        shift
        # Its root a mount point of its own, as the tools that make such systems ask.
        mount --bind "$folder" "$folder"
        mount --rbind /dev "$folder/dev"
        mount -t proc proc "$folder/proc"
        mount --rbind /sys "$folder/sys"
        while [ "$1" != -- ]; do
            mount --bind "$1" "$folder$1"
            shift
        done
        shift
        # Into it as the root of the mount namespace rather than by chroot, within which no user
        # namespace can be made, as the 32-bit Windows tests make one for qemu.
        cd "$folder"
        pivot_root . .
        umount -l .
        cd /
        exec "$@"
    ' bash "$folder" "$project" "${debian_root_binds[@]}" -- \
        env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 ${CI:+CI="$CI"} "$@"
}

pin_to_debian_12() {
    local release
    release="$(. /etc/os-release && echo "$ID $VERSION_ID")"
    if [ "$release" = "debian 12" ] && [ -z "${DRAVIX_IN_DEBIAN_12_SYSTEM:-}" ]; then
        return 0
    fi
    local folder="${DRAVIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dravix}/debian-12"
    echo "${DRAVIX_IN_DEBIAN_12_SYSTEM:-This is $release}: the Windows programs are built with" \
        "Debian 12's mingw-w64, in the Debian 12 system kept in $folder"
    make_debian_root bookworm "$folder"
    if [ -n "${DRAVIX_BUILD_DIR:-}" ]; then
        debian_root_binds+=("$(dirname "$DRAVIX_BUILD_DIR")")
    fi
    in_debian_root "$folder" ${DRAVIX_BUILD_DIR:+DRAVIX_BUILD_DIR="$DRAVIX_BUILD_DIR"} \
        ${DRAVIX_X86_THROUGH_QEMU:+DRAVIX_X86_THROUGH_QEMU="$DRAVIX_X86_THROUGH_QEMU"} \
        bash "$@"
    exit
}
