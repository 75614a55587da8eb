#!/usr/bin/env bash
# Runs a Windows program under Wine, headless, in the prefix inside the build folder.
set -e
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${TARN_WINEPREFIX:-$top/build/wine-prefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
