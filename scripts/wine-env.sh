# Sourced by the Wine scripts: the headless environment, the prefix inside the build folder and the
# loader that can run on this machine (see wine-mode.sh). Sets TARN_WINE_MODE and the array TARN_WINE.
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${TARN_WINEPREFIX:-$top/build/wine-prefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

TARN_WINE_MODE=$("$top/scripts/wine-mode.sh")
if [ "$TARN_WINE_MODE" = win64-only ]; then
  # /usr/bin/wine would pick the 32-bit loader whenever it is installed, and the kernel refuses it.
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  TARN_WINE=(/usr/lib/wine/wine64)
else
  TARN_WINE=(wine)
fi
