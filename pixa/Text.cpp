#include "pixa/Text.h"

#include <algorithm>
#include <cmath>


namespace Pixa {

namespace {

constexpr std::uint32_t replacementCharacter = 0xFFFD;

// The character at `at`, which moves past it; a byte that does not start a well-formed sequence is
// one replacement character.
std::uint32_t nextCharacter(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    std::size_t extra;
    std::uint32_t c, least;
    if ((lead & 0xE0) == 0xC0)
        extra = 1, c = lead & 0x1Fu, least = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        extra = 2, c = lead & 0x0Fu, least = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        extra = 3, c = lead & 0x07u, least = 0x10000;
    else
        return replacementCharacter;
    if (text.size() - at < extra)
        return replacementCharacter;
    for (std::size_t i = 0; i < extra; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return replacementCharacter;
        c = c << 6 | (next & 0x3Fu);
    }
    if (c < least || c > 0x10FFFF)
        return replacementCharacter;
    at += extra;
    return c;
}

// Calls visit(glyph, pen) for every glyph of the text, the pen in pixels from the text's start;
// answers the whole advance. Advances add up in font units (or whole pixels), so a text measures the
// same however it is cut into pieces.
template <typename Visit>
float forEachGlyph(std::string_view text, const TextStyle& style, Visit&& visit)
{
    const Font& font = *style.font;
    const float scale = style.size / static_cast<float>(font.unitsPerEm);
    const auto pixels = [scale](std::int32_t units) { return static_cast<std::int32_t>(std::lround(units * scale)); };
    std::int32_t pen = 0;  // font units, or pixels for whole-pixel advances
    std::uint32_t previous = 0;
    bool first = true;
    for (std::size_t at = 0; at < text.size();) {
        const std::uint32_t c = nextCharacter(text, at);
        if (style.mnemonics && c == '&') {
            if (at == text.size() || text[at] != '&')
                continue;
            ++at;
        }
        if (c < 0x20 || c == 0x7F)
            continue;
        const std::uint32_t g = font.glyphIndex(c);
        const std::int32_t kerning = style.kerning && !first ? font.kerningBetween(previous, g) : 0;
        const FontGlyph& glyph = font.glyphs[g];
        if (style.wholePixelAdvances) {
            pen += pixels(kerning);
            visit(glyph, static_cast<float>(pen));
            pen += pixels(glyph.advance);
        } else {
            pen += kerning;
            visit(glyph, static_cast<float>(pen) * scale);
            pen += glyph.advance;
        }
        previous = g;
        first = false;
    }
    return style.wholePixelAdvances ? static_cast<float>(pen) : static_cast<float>(pen) * scale;
}

// One pass of polygon clipping against a half plane (Sutherland-Hodgman): under the even-odd rule
// the clipped contours fill exactly the part of the shape inside.
template <typename Inside, typename Crossing>
void clipContour(const Path& in, Path& out, Inside inside, Crossing crossing)
{
    out.clear();
    if (in.empty())
        return;
    Point s = in.back();
    bool sInside = inside(s);
    for (const Point& e : in) {
        const bool eInside = inside(e);
        if (eInside != sInside)
            out.push_back(crossing(s, e));
        if (eInside)
            out.push_back(e);
        s = e;
        sInside = eInside;
    }
}

Point crossingX(Point s, Point e, float x) { return {x, s.y + (e.y - s.y) * ((x - s.x) / (e.x - s.x))}; }
Point crossingY(Point s, Point e, float y) { return {s.x + (e.x - s.x) * ((y - s.y) / (e.y - s.y)), y}; }

}  // namespace

LineMetrics lineMetrics(const Font& font, float size)
{
    const float scale = size / static_cast<float>(font.unitsPerEm);
    const auto ascent = static_cast<std::int32_t>(std::lround(static_cast<float>(font.ascent) * scale));
    const auto descent = static_cast<std::int32_t>(std::lround(static_cast<float>(font.descent) * scale));
    return {ascent, descent, ascent + descent};
}

float textAdvance(std::string_view text, const TextStyle& style)
{
    return forEachGlyph(text, style, [](const FontGlyph&, float) {});
}

std::int32_t textWidth(std::string_view text, const TextStyle& style)
{
    return static_cast<std::int32_t>(std::lround(textAdvance(text, style)));
}

void TextPainter::drawText(Canvas& canvas, std::string_view text, float x, float baseline, const TextStyle& style)
{
    drawText(canvas, text, x, baseline, style,
             {0, 0, static_cast<std::int32_t>(canvas.getWidth()), static_cast<std::int32_t>(canvas.getHeight())});
}

void TextPainter::drawText(Canvas& canvas, std::string_view text, float x, float baseline, const TextStyle& style,
                           const PixelRect& clip)
{
    const auto width = static_cast<std::int32_t>(canvas.getWidth());
    const auto height = static_cast<std::int32_t>(canvas.getHeight());
    const PixelRect cut{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, width),
                        std::min(clip.bottom, height)};
    if (cut.left >= cut.right || cut.top >= cut.bottom)
        return;
    if (coverage.getWidth() != width || coverage.getHeight() != height)
        coverage.create(width, height);
    prepareCurve(style);

    const Font& font = *style.font;
    const float scale = style.size / static_cast<float>(font.unitsPerEm);
    // Row r takes the sub-scanlines from r + 1/16 to r + 1 (see CoverageBuffer::addLine): the text
    // and the cuts move up by a sixteenth, so a glyph standing on the baseline leaves the row below
    // it empty.
    baseline -= 1.0f / 16;
    const float top = static_cast<float>(cut.top) - 1.0f / 16, bottom = static_cast<float>(cut.bottom) - 1.0f / 16;
    forEachGlyph(text, style, [&](const FontGlyph& glyph, float pen) {
        if (glyph.vertexCount == 0)
            return;
        const float originX = x + pen;
        const float x0 = originX + glyph.xMin * scale, x1 = originX + glyph.xMax * scale;
        const float y0 = baseline - glyph.yMax * scale, y1 = baseline - glyph.yMin * scale;
        if (x1 <= static_cast<float>(cut.left) || x0 >= static_cast<float>(cut.right) || y1 <= top || y0 >= bottom)
            return;
        const bool cutting = x0 < static_cast<float>(cut.left) || x1 > static_cast<float>(cut.right) || y0 < top ||
                             y1 > bottom;

        contour.clear();
        Point previous{originX, baseline};
        const FontVertex* const vertices = font.vertices + glyph.firstVertex;
        for (std::uint32_t i = 0; i < glyph.vertexCount; ++i) {
            const FontVertex& v = vertices[i];
            const Point p{originX + v.x * scale, baseline - v.y * scale};
            if (v.kind == FontVertex::moveTo) {
                addContour(cut, cutting);
                contour.push_back(p);
            } else if (v.kind == FontVertex::lineTo) {
                contour.push_back(p);
            } else {
                // Chords within a twentieth of a pixel of the curve: a quadratic piece strays from
                // its chord by |p0 - 2c + p1| / (4 n^2) with n chords.
                const Point c{originX + v.controlX * scale, baseline - v.controlY * scale};
                const float bend = std::hypot(previous.x - 2 * c.x + p.x, previous.y - 2 * c.y + p.y);
                const int n = std::max(1, static_cast<int>(std::ceil(std::sqrt(bend * 5.0f))));
                for (int k = 1; k < n; ++k) {
                    const float t = static_cast<float>(k) / static_cast<float>(n), u = 1 - t;
                    contour.push_back({u * u * previous.x + 2 * u * t * c.x + t * t * p.x,
                                       u * u * previous.y + 2 * u * t * c.y + t * t * p.y});
                }
                contour.push_back(p);
            }
            previous = p;
        }
        addContour(cut, cutting);
        fillCoverage(canvas, coverage, style.color, curve);
        coverage.clear();
    });
}

void TextPainter::addContour(const PixelRect& clip, bool cut)
{
    if (contour.size() >= 3) {
        if (cut) {
            const float left = static_cast<float>(clip.left), right = static_cast<float>(clip.right);
            const float top = static_cast<float>(clip.top) - 1.0f / 16, bottom = static_cast<float>(clip.bottom) - 1.0f / 16;
            clipContour(contour, clipped, [left](Point p) { return p.x >= left; },
                        [left](Point s, Point e) { return crossingX(s, e, left); });
            clipContour(clipped, contour, [right](Point p) { return p.x <= right; },
                        [right](Point s, Point e) { return crossingX(s, e, right); });
            clipContour(contour, clipped, [top](Point p) { return p.y >= top; },
                        [top](Point s, Point e) { return crossingY(s, e, top); });
            clipContour(clipped, contour, [bottom](Point p) { return p.y <= bottom; },
                        [bottom](Point s, Point e) { return crossingY(s, e, bottom); });
        }
        coverage.addPolygon(contour);
    }
    contour.clear();
}

void TextPainter::prepareCurve(const TextStyle& style)
{
    if (curveReady && style.antialiased == curveAntialiased && (!style.antialiased || style.gamma == curveGamma))
        return;
    curveReady = true;
    curveAntialiased = style.antialiased;
    curveGamma = style.gamma;
    for (int a = 0; a < 256; ++a) {
        if (!style.antialiased) {
            // Unhinted stems are often thinner than a pixel and straddle two: at half coverage they
            // break up; from three eighths on they stay whole.
            curve[a] = a >= 96 ? 255 : 0;
        } else {
            const float mapped = 255.0f * std::pow(static_cast<float>(a) / 255.0f, 1.0f / std::max(style.gamma, 0.1f));
            curve[a] = static_cast<std::uint8_t>(std::lround(mapped));
        }
    }
}

}  // namespace Pixa
