#!/bin/sh
# full_disk.sh mount|unmount FOLDER: FOLDER becomes a file system of its own
# with room for 64 KiB, so that the installer meets a real full disk there.
# Mounting needs root; without it the folder is left out and the test that
# needs it says it was skipped.
set -eu
action=$1 folder=$2
mountpoint -q "$folder" 2>/dev/null && umount "$folder"
rm -rf "$folder"
[ "$action" = mount ] || exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "not root: no small file system for the full-disk case"
  exit 0
fi
mkdir -p "$folder"
mount -t tmpfs -o size=64k tmpfs "$folder"
