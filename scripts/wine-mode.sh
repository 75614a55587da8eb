#!/usr/bin/env bash
# Decides once per build folder how this machine runs 32-bit x86 programs, by running one: some
# kernels refuse every 32-bit program (Exec format error), and then 32-bit Wine cannot start natively.
# Prints the Wine mode the tests use and keeps it in build/wine-mode:
#   wow64       a 64-bit prefix with 32-bit support; /usr/bin/wine runs both Windows builds
#   qemu        the same prefix, but the kernel refuses 32-bit programs: they run in qemu's user-mode
#               emulator inside a namespace of our own (scripts/wine-qemu.sh)
#   win64-only  neither works: a 64-bit-only prefix run by the 64-bit loader; the 32-bit tests cannot run
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
record="$top/build/wine-mode"
# The second line marks a record made since the emulated mode exists; an older "win64-only" is probed again.
version="probed with emulation"

if [ -s "$record" ] && [ "$(sed -n 2p "$record")" = "$version" ]; then
  head -1 "$record"
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
if [ "$status" -eq 42 ]; then
  mode=wow64
elif "$top/scripts/wine-qemu.sh" probe; then
  mode=qemu
else
  echo "wine-mode: this kernel refuses 32-bit programs, and they cannot be emulated here" \
    "(needs user namespaces, a binfmt_misc of their own (Linux 6.7 or later) and Debian's qemu-user-static)" >&2
  mode=win64-only
fi

mkdir -p "$top/build"
printf '%s\n%s\n' "$mode" "$version" >"$record.$$" && mv "$record.$$" "$record"  # whole or not at all for a reader in parallel
echo "$mode"
