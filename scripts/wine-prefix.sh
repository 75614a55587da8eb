#!/usr/bin/env bash
# The headless Wine prefix inside the build folder, made with the loader this machine can run.
#   scripts/wine-prefix.sh create  create it once (safe when several programs ask at the same time)
#   scripts/wine-prefix.sh start   create if needed, start a persistent server and warm it
#   scripts/wine-prefix.sh stop    end the server
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ready="$WINEPREFIX/.tarn-ready"

make_prefix() {
  # A prefix made for the other mode (a build folder carried to another machine) is made anew.
  if [ -f "$ready" ] && [ "$(cat "$ready")" = "$TARN_WINE_MODE" ]; then return; fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # Under emulation wineboot takes about 20 s more (its 32-bit half).
  # In a 64-bit-only prefix wineboot says it cannot open syswow64's rundll32.exe: harmless.
  timeout 300 "${TARN_WINE[@]}" wineboot -i >/dev/null 2>&1 || true
  timeout 120 "${TARN_WINE[@]}" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  timeout 120 "${TARN_WINE[@]}" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  timeout 120 "${TARN_WINE_IN[@]}" wineserver -w || true
  echo "$TARN_WINE_MODE" >"$ready"
}

# Under a lock, so test programs started in parallel make it once. The lock is held on a descriptor
# that the Wine processes do not inherit: a wineserver left running would otherwise hold it for ever.
create() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    make_prefix 9>&-
  ) 9>"$WINEPREFIX.lock"
}

case "${1:-start}" in
create)
  create
  ;;
start)
  create
  "${TARN_WINE_IN[@]}" wineserver -p 2>/dev/null || true  # already running is fine
  timeout 120 "${TARN_WINE[@]}" cmd /c exit >/dev/null 2>&1 || true
  ;;
stop)
  if [ "$TARN_WINE_MODE" = qemu ]; then
    # The server first, so it saves the registry; then the namespace with whatever is left in it.
    if "$top/scripts/wine-qemu.sh" running; then
      "${TARN_WINE_IN[@]}" wineserver -k 2>/dev/null || true
    fi
    "$top/scripts/wine-qemu.sh" stop
  else
    wineserver -k 2>/dev/null || true
  fi
  ;;
esac
