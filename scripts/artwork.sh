#!/usr/bin/env bash
# Regenerates the editor's bitmaps in resources/ from tools/artwork and writes contact sheets to look
# at (build/artwork-sheet.png, and build/artwork-sheet@2x.png of the 2x pictures). Commit the bitmaps
# together with the drawing code.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target tarn-artwork >/dev/null
build/linux/tarn-artwork resources --sheet build/artwork-sheet.png
# The 2x pictures are drawn by the build itself; this sheet is only to look at them.
mkdir -p build/artwork-2x
build/linux/tarn-artwork build/artwork-2x --scale 2 --sheet build/artwork-sheet@2x.png
echo "resources/*.bmp regenerated; contact sheets: build/artwork-sheet.png, build/artwork-sheet@2x.png"
