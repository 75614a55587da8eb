// Texts placed in rectangles by the rules of Windows' DrawText, so an editor drawn with pixa can pass
// the very rectangles and flags its Windows twin passes: horizontal alignment in whole pixels,
// vertical centring or bottom alignment of a single line, cutting at the rectangle, and the measuring
// that DT_CALCRECT does. Lines are as tall as the font's rounded ascent plus descent.
#pragma once

#include <cstdint>
#include <string_view>

#include "pixa/Text.h"

namespace Pixa {

// The values of the DrawText flags of the same meaning.
enum TextFormat : std::uint32_t {
    textLeft = 0x0,
    textCenter = 0x1,
    textRight = 0x2,
    textTop = 0x0,
    textVCenter = 0x4,  // single line only
    textBottom = 0x8,   // single line only
    textSingleLine = 0x20,
    textNoClip = 0x100,
    // Without it, '&' marks a mnemonic and is not drawn ("&&" draws one); the mnemonic is not
    // underlined (as in menus before the keyboard is used).
    textNoPrefix = 0x800,
};

// Without textSingleLine the text breaks at '\n' ("\r\n" too) into lines, each aligned on its own.
void drawTextInRect(TextPainter& painter, Canvas& canvas, std::string_view text, const PixelRect& rect,
                    std::uint32_t format, const TextStyle& style);
// What DT_CALCRECT answers: the rectangle keeps its left and top, becomes as wide as the widest line,
// and ends below the last line where the drawing would put it (so a single line aligned to the
// bottom keeps the bottom).
PixelRect measureTextRect(std::string_view text, const PixelRect& rect, std::uint32_t format, const TextStyle& style);

// A Windows COLORREF (0x00BBGGRR) as an opaque colour.
inline Color colorFromColorRef(std::uint32_t colorRef)
{
    return 0xFF000000u | (colorRef & 0xFFu) << 16 | (colorRef & 0xFF00u) | (colorRef >> 16 & 0xFFu);
}

}  // namespace Pixa
