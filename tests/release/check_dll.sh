#!/bin/sh
# check_dll.sh OBJDUMP DLL MACHINE [stripped]: the plug-in as shipped must be
# a PE image for MACHINE, export only winampGetGeneralPurposePlugin
# (undecorated) and import nothing but system DLLs, so that it loads in a
# host without a MinGW runtime beside it; with "stripped", it must carry no
# symbol table either.
set -eu
objdump=$1 dll=$2 machine=$3 stripped=${4:-}
dump=$("$objdump" -p "$dll")
fail() { echo "FAIL: $*"; exit 1; }

echo "$dump" | grep -q "file format $machine" || fail "not a $machine image: $(echo "$dump" | grep 'file format')"
if [ "$stripped" = stripped ]; then
  "$objdump" -t "$dll" | grep -qx "no symbols" || fail "carries a symbol table: not stripped"
fi

exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\t\[ *[0-9]*\] //p')
[ "$exports" = "winampGetGeneralPurposePlugin" ] || fail "exports: $exports"

imports=$(echo "$dump" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for name in $imports; do
  case "$name" in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|msvcrt.dll|advapi32.dll|shell32.dll|api-ms-win-*) ;;
    # The OBS output: WebSockets, SHA-256 and base64 from the system itself.
    winhttp.dll|bcrypt.dll|crypt32.dll) ;;
    # The overlay page's server: Winsock.
    ws2_32.dll|mswsock.dll) ;;
    *) fail "imports $name" ;;
  esac
done
echo "ok: $machine${stripped:+, $stripped}, exports winampGetGeneralPurposePlugin, imports: $(echo $imports)"
