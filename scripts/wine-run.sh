#!/usr/bin/env bash
# Runs a Windows program under Wine, headless, in the prefix inside the build folder, with the loader
# this machine can run (in qemu mode inside the namespace that holds the wineserver: wine-qemu.sh). A
# 32-bit program on a machine that can run 32-bit code neither natively nor emulated fails with a message.
set -e
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/.tarn-ready" ] || "$top/scripts/wine-prefix.sh" create
if [ "$TARN_WINE_MODE" = win64-only ] && [ -f "$1" ] && objdump -f "$1" 2>/dev/null | grep -q 'pei-i386'; then
  echo "wine-run: $1 is a 32-bit program and this machine cannot run 32-bit programs" >&2
  exit 126
fi
exec "${TARN_WINE[@]}" "$@"
