// A font as outlines: per glyph its contours as TrueType has them (straight and quadratic pieces, in
// font units, y up), its advance width and its box; pair kerning; the vertical metrics. The tables are
// constant data (usually generated from a font file) that the font object points into.
#pragma once

#include <cstdint>

namespace Pixa {

struct FontVertex {
    enum Kind : std::uint8_t { moveTo = 1, lineTo = 2, curveTo = 3 };
    // The end point of the piece; the control point of a curve.
    std::int16_t x, y, controlX, controlY;
    std::uint8_t kind;
};

struct FontGlyph {
    std::uint32_t codepoint;
    std::uint16_t advance;
    std::int16_t xMin, yMin, xMax, yMax;
    // vertexCount vertices from firstVertex; every contour starts with a moveTo.
    std::uint32_t firstVertex;
    std::uint32_t vertexCount;
};

// Added to the advance of the left glyph when the right one follows (glyph indices).
struct FontKerning {
    std::uint16_t left, right;
    std::int16_t adjustment;
};

struct Font {
    const char* name;
    std::int32_t unitsPerEm;
    // Above and below the baseline, both positive: the line a text occupies.
    std::int32_t ascent, descent;
    // Glyph 0 stands in for every character the font lacks; the others ascend by codepoint.
    const FontGlyph* glyphs;
    std::uint32_t glyphCount;
    const FontVertex* vertices;
    // Ascending by left, then right.
    const FontKerning* kerning;
    std::uint32_t kerningCount;

    // The glyph's index; 0 for a character the font lacks.
    std::uint32_t glyphIndex(std::uint32_t codepoint) const;
    // In font units; 0 for pairs without kerning.
    std::int32_t kerningBetween(std::uint32_t left, std::uint32_t right) const;
};

}  // namespace Pixa
