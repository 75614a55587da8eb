// The editor's own font, built into the plug-in so that its texts look alike on every machine and need
// no font lookup: DejaVu Sans and DejaVu Sans Bold (close to the Windows editor's Verdana), printable
// ASCII only. The editor draws its small texts at 9 pixels per em in the regular face and its
// emphasised ones at 12 in the bold face, the em heights Verdana gets at 7 and 9 points on a 96 dpi
// screen.
#pragma once

#include <cstdint>

#include "pixa/Font.h"
#include "pixa/Text.h"

namespace PlugEdit {

constexpr float smallTextSize = 9.0f;
constexpr float boldTextSize = 12.0f;

const Pixa::Font& builtinFont(bool bold);

// How the editor draws a text: the small regular or the bold face at its size, in a Windows COLORREF
// (0x00BBGGRR), anti-aliased unless Shift, Control and Alt were held as the editor opened. Advances
// are whole pixels, so texts measure much as GDI measures them, and a gamma keeps the thin strokes
// of light text on the dark ground about as heavy as Windows draws them. At a scale of 2 the sizes
// double (an editor drawn at twice the size).
Pixa::TextStyle editorTextStyle(bool bold, std::uint32_t colorRef, bool antialiased, int scale = 1);

}  // namespace PlugEdit
