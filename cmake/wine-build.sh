# Sourced by scripts/demo and scripts/bench (bash): runs a Windows build's
# programs under Wine, headless, code page 932, in that build tree's prefix.
#
#   use_wine_build PRESET   win32 (the i686 build a user installs, under the
#                           32-bit loader) or win64 (under wine64); sets
#                           build, wine_loader and the Wine environment, and
#                           starts the prefix's server (stopped on exit)
#   run_wine PROGRAM ARGS   runs a program of that build
#   winpath UNIX_PATH       the path as Wine's Z: drive sees it

wine_prefixes_started=()

stop_wine_prefixes() {
  local prefix
  for prefix in "${wine_prefixes_started[@]}"; do
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  done
}
trap stop_wine_prefixes EXIT

use_wine_build() {
  case $1 in
    win32) wine_loader=/usr/lib/wine/wine WINEARCH=win32 ;;
    win64) wine_loader=/usr/lib/wine/wine64 WINEARCH=win64 ;;
    *) echo "no Wine build named $1" >&2; return 1 ;;
  esac
  build=$PWD/build/$1
  export WINEPREFIX=$build/wineprefix WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
  sh cmake/wine-prefix.sh start "$WINEPREFIX" "$wine_loader" /usr/lib/wine/wineserver "$WINEARCH"
  wine_prefixes_started+=("$WINEPREFIX")
}

# Wine takes the ANSI code page from the locale: 932, as on a Japanese Windows.
run_wine() { env LC_ALL=ja_JP.UTF-8 "$wine_loader" "$@"; }

winpath() { echo "Z:$1" | tr / '\\'; }
