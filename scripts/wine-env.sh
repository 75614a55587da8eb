# Sourced by the Wine scripts: the headless environment, the prefix inside the build folder and the
# loader that can run on this machine (see wine-mode.sh). Sets TARN_WINE_MODE, the array TARN_WINE (the
# loader) and the array TARN_WINE_IN (what every Wine command of the prefix, the server's too, runs in).
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${TARN_WINEPREFIX:-$top/build/wine-prefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

TARN_WINE_MODE=$("$top/scripts/wine-mode.sh")
TARN_WINE_IN=()
case "$TARN_WINE_MODE" in
win64-only)
  # /usr/bin/wine would pick the 32-bit loader whenever it is installed, and the kernel refuses it.
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  TARN_WINE=(/usr/lib/wine/wine64)
  ;;
qemu)
  # The 64-bit loader runs natively and starts the 32-bit one (emulated) for 32-bit programs.
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  TARN_WINE_IN=("$top/scripts/wine-qemu.sh" run)
  TARN_WINE=("${TARN_WINE_IN[@]}" /usr/lib/wine/wine64)
  ;;
*)
  TARN_WINE=(wine)
  ;;
esac
