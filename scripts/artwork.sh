#!/usr/bin/env bash
# Regenerates the editor's bitmaps in resources/ from tools/artwork and writes a contact sheet to look
# at (build/artwork-sheet.png). Commit the bitmaps together with the drawing code.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target tarn-artwork >/dev/null
build/linux/tarn-artwork resources --sheet build/artwork-sheet.png
echo "resources/*.bmp regenerated; contact sheet: build/artwork-sheet.png"
