#!/bin/sh
# run-unprivileged.sh HOME_DIR PREFIX LOADER WINESERVER ARCH PROGRAM [ARGS...]
# Runs a Windows test program under Wine (LOADER, a prefix of ARCH) as the
# unprivileged user nobody, in a prefix of its own, so that file permissions
# hold as they do for a user. Skipped (exit 77) when this is not run as root.
set -eu
home=$1 prefix=$2 loader=$3 wineserver=$4 arch=$5
shift 5
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root to become another user"; exit 77; }
mkdir -p "$home"
chown 65534:65534 "$home"
setpriv --reuid=65534 --regid=65534 --clear-groups mkdir -p "$home/test-tmp"
run() { setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$home" WINEPREFIX="$prefix" WINEARCH="$arch" \
  WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=ja_JP.UTF-8 "$@"; }
# The build tree must be reachable for that user: a checkout under a private
# folder is not, and the case cannot run there.
setpriv --reuid=65534 --regid=65534 --clear-groups test -r "$1" ||
  { echo "skipped: the user nobody cannot read $1"; exit 77; }
if [ ! -f "$prefix/.tavrik-ready" ]; then
  run "$loader" wineboot --init >/dev/null 2>&1
  run "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  run "$wineserver" -w
  run touch "$prefix/.tavrik-ready"
fi
log=$(mktemp)
chmod 666 "$log"
status=0
run "$loader" "$@" </dev/null >"$log" 2>&1 || status=$?
run "$wineserver" -k 2>/dev/null || true
cat "$log"
rm -f "$log"
exit $status
