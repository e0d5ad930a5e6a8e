#!/bin/sh
# Runs a command where the kernel hands every 32-bit x86 Linux program to qemu-user-static: for a
# kernel that does not run them itself. The rule lives in a binfmt_misc of a user and mount
# namespace of the command's own (Linux 6.7 and later), so nothing else on the machine goes through
# qemu, and 64-bit programs inside run natively. The magic and mask are those of qemu's own
# qemu-binfmt-conf.sh for i386.
# Usage: qemu-i386.sh COMMAND [ARGUMENTS...]
exec unshare --user --map-root-user --mount sh -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 125
    magic="\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00"
    mask="\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff"
    printf ":qemu-i386:M::%s:%s:/usr/bin/qemu-i386-static:F\n" "$magic" "$mask" \
        >/proc/sys/fs/binfmt_misc/register || exit 125
    exec "$@"' qemu-i386.sh "$@"
