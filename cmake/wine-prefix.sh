#!/bin/sh
# wine-prefix.sh start|stop PREFIX WINE64 WINESERVER
# start: creates the prefix once (null graphics driver, so windows and dialogs
#        work without a display) and keeps one wineserver alive for the run.
# stop:  ends that wineserver and every Wine process of the prefix.
set -eu
action=$1 prefix=$2 wine64=$3 wineserver=$4
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=ja_JP.UTF-8
case "$action" in
  start)
    if [ ! -f "$prefix/.tavrik-ready" ]; then
      rm -rf "$prefix"
      "$wine64" wineboot --init >/dev/null 2>&1
      "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
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
