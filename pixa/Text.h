// Text from outline fonts: each glyph's contours are flattened at the requested size into a path and
// filled through a coverage buffer, anti-aliased or (coverage thresholded) in plain pixels. Glyphs sit
// on fractional positions along the baseline; no hinting.
#pragma once

#include <cstdint>
#include <string_view>

#include "pixa/Canvas.h"
#include "pixa/CoverageBuffer.h"
#include "pixa/Font.h"
#include "pixa/Path.h"

namespace Pixa {

struct TextStyle {
    const Font* font;
    float size;   // pixels per em
    Color color;  // premultiplied
    bool antialiased = true;
    // Windows' DrawText does not kern, so texts that must measure like it leave this off.
    bool kerning = false;
    // '&' marks the next character as a menu mnemonic and is not drawn; "&&" draws one '&'.
    bool mnemonics = false;
};

// The line in whole pixels: the font's ascent and descent at the size, each rounded.
struct LineMetrics {
    std::int32_t ascent, descent, height;
};
LineMetrics lineMetrics(const Font& font, float size);

// Texts are UTF-8; a byte that does not decode, and a character the font lacks, take the font's
// stand-in glyph. Control characters take no room and draw nothing.
float textAdvance(std::string_view text, const TextStyle& style);
// The advance rounded to whole pixels: the width a layout works with.
std::int32_t textWidth(std::string_view text, const TextStyle& style);

// Pixels x in left..right-1, y in top..bottom-1.
struct PixelRect {
    std::int32_t left, top, right, bottom;
};

// Keeps the coverage buffer and the path between texts, so drawing allocates only when the canvas
// size changes. One painter per drawing thread.
class TextPainter {
public:
    // The text with its pen starting at (x, baseline), cut to the clip rectangle: no pixel outside it
    // changes.
    void drawText(Canvas& canvas, std::string_view text, float x, float baseline, const TextStyle& style,
                  const PixelRect& clip);
    void drawText(Canvas& canvas, std::string_view text, float x, float baseline, const TextStyle& style);

private:
    void addContour(const PixelRect& clip, bool cut);
    void fill(Canvas& canvas, const TextStyle& style);

    CoverageBuffer coverage;
    Path contour, clipped;
};

}  // namespace Pixa
