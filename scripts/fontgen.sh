#!/usr/bin/env bash
# Regenerates the editor's built-in font (plugedit/font/BuiltinFontData.cpp) from the installed DejaVu
# fonts. Commit the data together with any change of the generator.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target tarn-fontgen >/dev/null
fonts=/usr/share/fonts/truetype/dejavu
build/linux/tarn-fontgen "$fonts/DejaVuSans.ttf" "$fonts/DejaVuSans-Bold.ttf" > plugedit/font/BuiltinFontData.cpp
echo "plugedit/font/BuiltinFontData.cpp regenerated"
