#!/bin/sh
# check_exports.sh OBJDUMP DLL NOENTRY_DLL [ANSI_DLL]: the stand-in exports
# the five entries and the two wide ones by their plain names (no @N
# decoration), the variant all but mp3infp_mp3_GetTagType, the older ANSI
# one the five only, and all import system DLLs only.
set -eu
objdump=$1 dll=$2 noentry=$3 ansi=${4:-}
fail() { echo "FAIL: $*"; exit 1; }
exports() {
  "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\t\[ *[0-9]*\] //p' | sort | tr '\n' ' '
}
imports() {
  "$objdump" -p "$1" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u
}
want="mp3infp_GetType mp3infp_GetValue mp3infp_GetValueW mp3infp_GetVer mp3infp_Load mp3infp_LoadW mp3infp_mp3_GetTagType "
want_noentry="mp3infp_GetType mp3infp_GetValue mp3infp_GetValueW mp3infp_GetVer mp3infp_Load mp3infp_LoadW "
want_ansi="mp3infp_GetType mp3infp_GetValue mp3infp_GetVer mp3infp_Load mp3infp_mp3_GetTagType "
[ "$(exports "$dll")" = "$want" ] || fail "$dll exports: $(exports "$dll")"
[ "$(exports "$noentry")" = "$want_noentry" ] || fail "$noentry exports: $(exports "$noentry")"
[ -z "$ansi" ] || [ "$(exports "$ansi")" = "$want_ansi" ] || fail "$ansi exports: $(exports "$ansi")"
for file in "$dll" "$noentry" $ansi; do
  for name in $(imports "$file"); do
    case "$name" in
      kernel32.dll|user32.dll|msvcrt.dll|advapi32.dll|api-ms-win-*) ;;
      *) fail "$file imports $name" ;;
    esac
  done
done
echo "ok: $want"
