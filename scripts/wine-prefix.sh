#!/usr/bin/env bash
# Creates the headless Wine prefix inside the build folder (once) and starts a persistent wineserver.
#   scripts/wine-prefix.sh start   create if needed, start the server, warm it
#   scripts/wine-prefix.sh stop    end the server
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${TARN_WINEPREFIX:-$top/build/wine-prefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

case "${1:-start}" in
start)
  if [ ! -f "$WINEPREFIX/.tarn-ready" ]; then
    mkdir -p "$WINEPREFIX"
    timeout 300 wineboot -i >/dev/null 2>&1 || true
    timeout 120 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    timeout 120 wineserver -w || true
    touch "$WINEPREFIX/.tarn-ready"
  fi
  wineserver -p 2>/dev/null || true  # already running is fine
  timeout 120 wine cmd /c exit >/dev/null 2>&1 || true
  ;;
stop)
  wineserver -k 2>/dev/null || true
  ;;
esac
