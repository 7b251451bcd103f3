#!/bin/sh
# The faults the reliability suite can't make from inside Wine, as Wine drives of its prefix:
#   R:  a disk of 1 MiB (tmpfs) that a backup or a script fills up
#   S:  a read-only view (a read-only bind mount) of the folder T:
#   fault-drives.sh mount|unmount PREFIX FOLDER
# Mounting needs root (CI runs as root); without it the tests that need these drives fail.
set -e
action=$1
prefix=$2
faults=$3
dosdevices="$prefix/dosdevices"

unmount() {
    for point in "$faults/readonly" "$faults/full"; do
        if mountpoint -q "$point" 2>/dev/null; then umount "$point" || umount -l "$point"; fi
    done
    rm -f "$dosdevices/r:" "$dosdevices/s:" "$dosdevices/t:"
}

case $action in
mount)
    unmount
    if [ "$(id -u)" != 0 ]; then
        echo "fault-drives.sh: not root, so no full disk or read-only folder: those reliability tests will fail" >&2
        exit 1
    fi
    mkdir -p "$faults/full" "$faults/readonly" "$faults/source"
    mount -t tmpfs -o size=1m tmpfs "$faults/full"
    mount --bind "$faults/source" "$faults/readonly"
    mount -o remount,bind,ro "$faults/readonly"
    ln -s "$faults/full" "$dosdevices/r:"
    ln -s "$faults/readonly" "$dosdevices/s:"
    ln -s "$faults/source" "$dosdevices/t:"
    ;;
unmount)
    unmount
    ;;
*)
    echo "usage: fault-drives.sh mount|unmount PREFIX FOLDER" >&2
    exit 2
    ;;
esac
