#!/bin/sh
# check_zip.sh ZIP: the zip for installing by hand holds exactly the files
# its read-me promises, at its top level.
set -eu
zip=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake -E chdir "$work" cmake -E tar xf "$zip"
[ -f "$work/README.txt" ] || fail "no README.txt in $zip"
# The read-me's list: the indented lines after "This archive holds:", up to
# the first empty line; the first word of each is a file name.
promised=$(tr -d '\r' <"$work/README.txt" |
  sed -n '/^This archive holds:$/,/^$/p' | sed -n 's/^  \([^ ]*\).*/\1/p' | sort)
[ -n "$promised" ] || fail "the read-me lists no files"
listed=$(cd "$work" && find . -mindepth 1 | sed 's|^\./||' | sort)
[ "$promised" = "$listed" ] || fail "the read-me promises [$(echo $promised)], the zip holds [$(echo $listed)]"
# The rule file is there to be found at init, and holds no rules yet.
[ ! -s "$work/gen_tavrik.cfg" ] || fail "gen_tavrik.cfg is not empty"
echo "ok: $(echo $listed)"
