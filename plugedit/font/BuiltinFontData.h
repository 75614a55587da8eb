// The generated outline tables of the built-in font (BuiltinFontData.cpp, written by tools/fontgen).
#pragma once

#include "pixa/Font.h"

namespace PlugEdit {

extern const Pixa::Font dejaVuSans;
extern const Pixa::Font dejaVuSansBold;

}  // namespace PlugEdit
