#!/usr/bin/env bash
# Decides once per build folder whether this machine runs 32-bit x86 programs, by running one: some
# kernels refuse every 32-bit program (Exec format error), and then 32-bit Wine cannot start either.
# Prints the Wine mode the tests use and keeps it in build/wine-mode:
#   wow64       a 64-bit prefix with 32-bit support; /usr/bin/wine runs both Windows builds
#   win64-only  a 64-bit-only prefix run by the 64-bit loader; the 32-bit tests cannot run
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
record="$top/build/wine-mode"

if [ -s "$record" ]; then
  cat "$record"
  exit 0
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# exit(42) through the 32-bit system call gate: three instructions, no libraries.
printf '.globl _start\n_start:\n  movl $1, %%eax\n  movl $42, %%ebx\n  int $0x80\n' >"$dir/probe.s"
if ! { as --32 -o "$dir/probe.o" "$dir/probe.s" && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o"; }; then
  echo "wine-mode: cannot build the 32-bit probe (binutils missing?)" >&2
  exit 1
fi
status=0
"$dir/probe" 2>/dev/null || status=$?
if [ "$status" -eq 42 ]; then mode=wow64; else mode=win64-only; fi

mkdir -p "$top/build"
echo "$mode" >"$record.$$" && mv "$record.$$" "$record"  # whole or not at all for a reader in parallel
echo "$mode"
