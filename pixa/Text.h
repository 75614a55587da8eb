// Text from outline fonts: each glyph's contours are flattened at the requested size into a path,
// accumulated in a coverage buffer and filled by the even-odd rule, its coverage mapped to alpha by a
// gamma curve (anti-aliased) or a threshold (plain pixels). No hinting.
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
    // Each glyph's advance rounded to whole pixels, as hinted fonts have them under GDI: texts measure
    // as there, and a glyph starting on a pixel edge looks alike wherever it stands.
    bool wholePixelAdvances = false;
    // Coverage c (0..1) paints with alpha c^(1 / gamma): above 1, thin strokes of light text on a dark
    // ground keep their weight (blending is done on the stored colour values, not on light).
    float gamma = 1.0f;
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
    void prepareCurve(const TextStyle& style);

    CoverageBuffer coverage;
    Path contour, clipped;
    // Coverage to alpha for the current style; remade when the style's mapping changes.
    std::uint8_t curve[256] = {};
    float curveGamma = 1.0f;
    bool curveAntialiased = true;
    bool curveReady = false;
};

}  // namespace Pixa
