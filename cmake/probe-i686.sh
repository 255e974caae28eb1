#!/bin/sh
# probe-i686.sh [LOADER]: can this machine run the i686 build's programs?
# Silent, exit 0, when it can; otherwise one line saying why, exit 1.
# First a tiny static i386 program (the kernel's 32-bit support and nothing
# else), then the 32-bit Wine loader (default /usr/lib/wine/wine) itself.
set -u
loader=${1:-/usr/lib/wine/wine}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/exit42.s" <<'ASM'
  .globl _start
_start:
  movl $1, %eax
  movl $42, %ebx
  int $0x80
ASM
if ! as --32 -o "$work/exit42.o" "$work/exit42.s" 2>"$work/err" ||
   ! ld -m elf_i386 -o "$work/exit42" "$work/exit42.o" 2>>"$work/err"; then
  echo "cannot make a 32-bit probe program: $(head -n 1 "$work/err")"
  exit 1
fi
"$work/exit42" 2>"$work/err"
status=$?
if [ "$status" -ne 42 ]; then
  echo "this machine cannot execute 32-bit code (a static i386 program ended with status $status: $(tail -n 1 "$work/err" | sed 's/.*: //'))"
  exit 1
fi
if [ ! -x "$loader" ]; then
  echo "32-bit Wine is not installed ($loader is missing; scripts/setup installs wine32:i386)"
  exit 1
fi
if ! "$loader" --version >"$work/err" 2>&1; then
  echo "the 32-bit Wine loader does not start: $(head -n 1 "$work/err")"
  exit 1
fi
