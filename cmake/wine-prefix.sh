#!/bin/sh
# wine-prefix.sh start|stop PREFIX LOADER WINESERVER ARCH
# start: creates the prefix once, for ARCH (win64, or win32 for the 32-bit
#        loader), with the null graphics driver so that windows and dialogs
#        work without a display, and keeps one wineserver alive for the run.
# stop:  ends that wineserver and every Wine process of the prefix.
set -eu
action=$1 prefix=$2 loader=$3 wineserver=$4 arch=$5
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=ja_JP.UTF-8
case "$action" in
  start)
    if [ ! -f "$prefix/.tavrik-ready" ]; then
      rm -rf "$prefix"
      "$loader" wineboot --init >/dev/null 2>&1
      "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      "$wineserver" -w
      touch "$prefix/.tavrik-ready"
    fi
    # Detached from ctest's output, or ctest would wait for it to end.
    "$wineserver" -p </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    "$wineserver" -k 2>/dev/null || true
    ;;
esac
