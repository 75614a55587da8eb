// The built-in font with the editor's texts: no glyph has overlapping contours (the even-odd fill would
// punch them out), counters stay empty, known widths and line metrics at the editor's sizes, every
// editor text inside its rectangle. Writes tests/editor-texts.png, all the editor's texts at their
// sizes (smooth and plain), three times enlarged, to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "pixa/TextLayout.h"
#include "plugedit/font/BuiltinFont.h"
#include "tools/imagefile/ImageFile.h"

using namespace Pixa;
using PlugEdit::builtinFont;

namespace {

// Winding number of the glyph's outline around (px, py), font units; curves cut into 16 chords.
int windingAt(const Font& font, const FontGlyph& glyph, double px, double py)
{
    int winding = 0;
    auto edge = [&](double x0, double y0, double x1, double y1) {
        if ((y0 <= py) != (y1 <= py)) {
            const double x = x0 + (py - y0) * (x1 - x0) / (y1 - y0);
            if (x > px)
                winding += y1 > y0 ? 1 : -1;
        }
    };
    double startX = 0, startY = 0, x = 0, y = 0;
    for (std::uint32_t i = 0; i < glyph.vertexCount; ++i) {
        const FontVertex& v = font.vertices[glyph.firstVertex + i];
        if (v.kind == FontVertex::moveTo) {
            edge(x, y, startX, startY);
            startX = x = v.x, startY = y = v.y;
        } else if (v.kind == FontVertex::lineTo) {
            edge(x, y, v.x, v.y);
            x = v.x, y = v.y;
        } else {
            double lastX = x, lastY = y;
            for (int k = 1; k <= 16; ++k) {
                const double t = k / 16.0, u = 1 - t;
                const double nx = u * u * x + 2 * u * t * v.controlX + t * t * v.x;
                const double ny = u * u * y + 2 * u * t * v.controlY + t * t * v.y;
                edge(lastX, lastY, nx, ny);
                lastX = nx, lastY = ny;
            }
            x = v.x, y = v.y;
        }
    }
    edge(x, y, startX, startY);
    return winding;
}

TextStyle styleOf(bool bold, Color color = 0xFFFFFFFFu, bool antialiased = true)
{
    return TextStyle{&builtinFont(bold), bold ? PlugEdit::boldTextSize : PlugEdit::smallTextSize, color, antialiased};
}

PixelRect inkBox(const Canvas& canvas)
{
    PixelRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (std::int32_t y = 0; y < static_cast<std::int32_t>(canvas.getHeight()); ++y)
        for (std::int32_t x = 0; x < static_cast<std::int32_t>(canvas.getWidth()); ++x)
            if (canvas.colorAt(x, y))
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    return box;
}

}  // namespace

TEST(BuiltinFont, NoGlyphOverlapsItselfAndEveryCharacterIsThere)
{
    for (const bool bold : {false, true}) {
        const Font& font = builtinFont(bold);
        ASSERT_EQ(font.glyphCount, 96u);  // the stand-in and printable ASCII
        for (std::uint32_t c = 0x20; c < 0x7F; ++c)
            ASSERT_NE(font.glyphIndex(c), 0u) << c;
        for (std::uint32_t g = 0; g < font.glyphCount; ++g) {
            const FontGlyph& glyph = font.glyphs[g];
            for (int y = glyph.yMin + 5; y < glyph.yMax; y += 23)
                for (int x = glyph.xMin + 3; x < glyph.xMax; x += 23) {
                    const int w = windingAt(font, glyph, x + 0.25, y + 0.25);
                    ASSERT_TRUE(w >= -1 && w <= 1) << font.name << " glyph " << glyph.codepoint << " at " << x << "," << y;
                }
        }
    }
}

TEST(BuiltinFont, CountersStayEmpty)
{
    for (const bool bold : {false, true})
        for (const char* text : {"o", "O", "D", "0", "a", "e"}) {
            Canvas canvas(60, 60);
            TextPainter painter;
            TextStyle style = styleOf(bold);
            style.size = 48;
            painter.drawText(canvas, text, 5, 50, style);
            const FontGlyph& glyph = style.font->glyphs[style.font->glyphIndex(static_cast<unsigned char>(text[0]))];
            const float scale = 48.0f / 2048;
            // The middle of the box is inside the counter for the round letters; 'a' and 'e' have
            // theirs above the middle (their bar and bowl cross it).
            const float high = text[0] == 'a' || text[0] == 'e' ? 0.72f : 0.5f;
            const auto x = static_cast<std::int32_t>(5 + (glyph.xMin + glyph.xMax) / 2 * scale);
            const auto y = static_cast<std::int32_t>(50 - (glyph.yMin + (glyph.yMax - glyph.yMin) * high) * scale);
            EXPECT_EQ(canvas.colorAt(x, y), 0u) << text << (bold ? " bold" : "");
            if (high == 0.5f) {  // and the ring beside it is solid
                EXPECT_EQ(alphaOf(canvas.colorAt(static_cast<std::int32_t>(5 + glyph.xMin * scale) + 1, y)), 255u) << text;
            }
        }
    // At the editor's sizes too: the bold 'o' keeps a hole.
    Canvas canvas(20, 20);
    TextPainter painter;
    painter.drawText(canvas, "o", 2, 15, styleOf(true));
    EXPECT_LT(alphaOf(canvas.colorAt(6, 11)), 100u);
}

TEST(BuiltinFont, WidthsAndLinesAtTheEditorsSizes)
{
    EXPECT_EQ(textWidth("threshold", styleOf(false)), 43);  // 9690 units at 9 px per 2048
    EXPECT_EQ(textWidth("threshold", styleOf(true)), 65);   // 11088 units at 12 px per 2048
    const LineMetrics small = lineMetrics(builtinFont(false), PlugEdit::smallTextSize);
    const LineMetrics bold = lineMetrics(builtinFont(true), PlugEdit::boldTextSize);
    EXPECT_EQ(small.ascent, 8);
    EXPECT_EQ(small.height, 10);
    EXPECT_EQ(bold.ascent, 11);
    EXPECT_EQ(bold.height, 14);
}

namespace {

// The sheet of the editor's texts: each drawn once on a transparent canvas to check that its ink lies
// in its rectangle, then onto the sheet.
struct TextSheet {
    Canvas sheet{240, 350};
    Canvas scratch{240, 350};
    TextPainter painter;

    TextSheet() { sheet.fillPaint(SolidPaint(colorFromColorRef(0x121C2A))); }

    void text(const char* t, PixelRect r, std::uint32_t format, const TextStyle& style)
    {
        scratch.clear();
        drawTextInRect(painter, scratch, t, r, format, style);
        const PixelRect ink = inkBox(scratch);
        EXPECT_LE(r.left, ink.left) << t;
        EXPECT_LE(r.top, ink.top) << t;
        EXPECT_GE(r.right, ink.right) << t;
        EXPECT_GE(r.bottom, ink.bottom) << t;
        drawTextInRect(painter, sheet, t, r, format, style);
    }

    // A knob's texts as the knob draws them, at (x, y): caption on top of the band, value at its bottom.
    void knob(std::int32_t x, std::int32_t y, const char* caption, const char* value, bool dragging, bool learning,
              bool antialiased)
    {
        const PixelRect band{x, y + 56, x + 80, y + 80};
        text(caption, band, textSingleLine | textCenter, styleOf(false, colorFromColorRef(0x6BADD3), antialiased));
        if (learning)
            text("learning", {x + 10, y + 22, x + 70, y + 46}, textSingleLine | textVCenter | textCenter,
                 styleOf(false, 0xFFFFFFFFu, antialiased));
        text(value, band, textSingleLine | textBottom | textCenter, styleOf(dragging, 0xFFFFFFFFu, antialiased));
    }

    // A switch's texts as the switch draws them: "name: state" centred, the state in white.
    void onOff(std::int32_t x, std::int32_t y, const char* name, const char* state, bool menuOpen)
    {
        const PixelRect r{x, y, x + 80, y + 12};
        const Color accent = colorFromColorRef(0x6BADD3);
        if (menuOpen) {
            text(name, r, textSingleLine | textBottom | textCenter, styleOf(true, accent));
            return;
        }
        const std::string full = std::string(name) + ": " + state, label = std::string(name) + ":";
        PixelRect m = measureTextRect(full, r, textSingleLine | textBottom | textCenter, styleOf(false));
        const std::int32_t shift = (r.right - m.right) / 2;
        m.left += shift;
        m.right += shift;
        text(label.c_str(), m, textSingleLine | textBottom, styleOf(false, accent));
        text(state, m, textSingleLine | textBottom | textRight, styleOf(false));
    }
};

bool writeEnlarged(const Canvas& canvas, const std::string& path, std::uint32_t factor)
{
    ImageFile::Picture picture;
    picture.width = canvas.getWidth() * factor;
    picture.height = canvas.getHeight() * factor;
    for (std::uint32_t y = 0; y < picture.height; ++y)
        for (std::uint32_t x = 0; x < picture.width; ++x)
            picture.pixels.push_back(canvas.row(y / factor)[x / factor]);
    return ImageFile::writeFile(path, ImageFile::encodePng(picture));
}

}  // namespace

TEST(BuiltinFont, EditorTextsStayInTheirRectangles)
{
    TextSheet s;
    const char* captions[3] = {"threshold", "makeup", "release"};
    const char* values[3] = {"-20.0 dB", "100 %", "1000.0 ms"};
    const char* otherValues[3] = {"0.0 dB", "0 %", "10.0 ms"};
    for (std::int32_t k = 0; k < 3; ++k) {
        s.knob(80 * k, 0, captions[k], values[k], false, false, true);
        s.knob(80 * k, 80, captions[k], otherValues[k], true, k == 1, true);
        s.knob(80 * k, 160, captions[k], values[k], k == 2, k == 0, false);
    }
    s.onOff(0, 245, "dither", "24 bit", false);
    s.onOff(80, 245, "display", "20dB", false);
    s.onOff(160, 245, "display", "40dB", true);
    const char* menu[] = {"&Reset to default (0.0 dB)", "MIDI &Learn...", "MIDI &Unlearn (chan:1, cc:7)",
                          "&Save defaults...", "Visit www.quellbrook.com", "20dB scale"};
    for (std::int32_t i = 0; i < 6; ++i)
        s.text(menu[i], {4 + 118 * (i / 3), 262 + 12 * (i % 3), 120 + 118 * (i / 3), 274 + 12 * (i % 3)},
               textSingleLine | textVCenter, styleOf(false));
    s.text("Saving new defaults for:\n - parameter values (current values) and presets\n - MIDI mappings (current "
           "mappings)\n",
           {4, 302, 240, 350}, textLeft, styleOf(false));
    EXPECT_TRUE(writeEnlarged(s.sheet, "editor-texts.png", 3));
}
