#!/usr/bin/env bash
# Checks a plug-in binary's interface: the exported entry points and, for Windows, the machine type
# and that only system DLLs are imported (everything else is linked in statically).
#   check-binary.sh FILE SYSTEM PROCESSOR [EXPORTS]
# EXPORTS, space-separated and sorted, defaults to the VST 2.4 plug-in's.
set -euo pipefail
file=$1 system=$2 processor=${3:-} wanted=${4:-}
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "$system" = Windows ]; then
  case "$processor" in
    i686) objdump=i686-w64-mingw32-objdump ;;
    *) objdump=x86_64-w64-mingw32-objdump ;;
  esac
  case "$processor" in
    i686) machine=pei-i386 ;;
    *) machine=pei-x86-64 ;;
  esac
  $objdump -f "$file" | grep -q "file format $machine" || fail "not a $machine file"
  dump=$($objdump -p "$file")
  exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | awk '{print $NF}' | sort | tr '\n' ' ')
  [ "$exports" = "${wanted:-DllMain MAIN VSTPluginMain main} " ] || fail "exports are '$exports'"
  allowed=' kernel32.dll user32.dll gdi32.dll shell32.dll comctl32.dll msvcrt.dll '
  for dll in $(printf '%s\n' "$dump" | awk '/DLL Name:/ {print $3}'); do
    case "$allowed" in *" ${dll,,} "*) ;; *) fail "imports $dll" ;; esac
  done
  echo "$machine; exports: $exports; imports only system DLLs"
else
  symbols=$(nm -D --defined-only "$file" | awk '{print $3}' | sort | tr '\n' ' ')
  [ "$symbols" = "${wanted:-VSTPluginMain main} " ] || fail "exports are '$symbols'"
  echo "exports: $symbols"
fi
