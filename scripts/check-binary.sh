#!/usr/bin/env bash
# Checks the plug-in binary's interface: the exported entry points and, for Windows, that only system
# DLLs are imported (everything else is linked in statically).
#   check-binary.sh FILE SYSTEM PROCESSOR
set -euo pipefail
file=$1 system=$2 processor=${3:-}
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "$system" = Windows ]; then
  case "$processor" in
    i686) objdump=i686-w64-mingw32-objdump ;;
    *) objdump=x86_64-w64-mingw32-objdump ;;
  esac
  dump=$($objdump -p "$file")
  exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | awk '{print $NF}' | sort | tr '\n' ' ')
  [ "$exports" = "DllMain MAIN VSTPluginMain main " ] || fail "exports are '$exports'"
  allowed=' kernel32.dll user32.dll gdi32.dll shell32.dll comctl32.dll msvcrt.dll '
  for dll in $(printf '%s\n' "$dump" | awk '/DLL Name:/ {print $3}'); do
    case "$allowed" in *" ${dll,,} "*) ;; *) fail "imports $dll" ;; esac
  done
  echo "exports: $exports; imports only system DLLs"
else
  symbols=$(nm -D --defined-only "$file" | awk '{print $3}' | sort | tr '\n' ' ')
  [ "$symbols" = "VSTPluginMain main " ] || fail "exports are '$symbols'"
  echo "exports: $symbols"
fi
