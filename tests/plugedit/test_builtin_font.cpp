// The built-in font with the editor's texts: no glyph has overlapping contours (the even-odd fill would
// punch them out), counters stay empty, known widths and line metrics at the editor's sizes, every
// editor text inside its rectangle. Writes tests/editor-texts.png, all the editor's texts at their
// sizes (smooth and plain), three times enlarged, to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "pixa/TextLayout.h"
#include "plugedit/font/BuiltinFont.h"
#include "tests/support/EditorTextScene.h"
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
            TextStyle style = PlugEdit::editorTextStyle(bold, 0xFFFFFF, true);
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
    painter.drawText(canvas, "o", 2, 15, PlugEdit::editorTextStyle(true, 0xFFFFFF, true));
    EXPECT_LT(alphaOf(canvas.colorAt(6, 11)), 100u);
}

TEST(BuiltinFont, WidthsAndLinesAtTheEditorsSizes)
{
    // Whole-pixel advances: t 4, h 6, r 4, e 6, s 5, o 6, l 3, d 6 at 9 px; 6 9 6 8 7 8 4 9 bold at 12.
    EXPECT_EQ(textWidth("threshold", PlugEdit::editorTextStyle(false, 0xFFFFFF, true)), 46);
    EXPECT_EQ(textWidth("threshold", PlugEdit::editorTextStyle(true, 0xFFFFFF, true)), 66);
    const LineMetrics small = lineMetrics(builtinFont(false), PlugEdit::smallTextSize);
    const LineMetrics bold = lineMetrics(builtinFont(true), PlugEdit::boldTextSize);
    EXPECT_EQ(small.ascent, 8);
    EXPECT_EQ(small.height, 10);
    EXPECT_EQ(bold.ascent, 11);
    EXPECT_EQ(bold.height, 14);
}

namespace {

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
    EditorTextScene::PixaTexts texts;
    EditorTextScene::draw(texts);
    for (const EditorTextScene::Ink& i : texts.inks) {
        EXPECT_LT(i.ink.left, i.ink.right) << i.text;
        EXPECT_LE(i.rect.left, i.ink.left) << i.text;
        EXPECT_LE(i.rect.top, i.ink.top) << i.text;
        EXPECT_GE(i.rect.right, i.ink.right) << i.text;
        EXPECT_GE(i.rect.bottom, i.ink.bottom) << i.text;
    }
    EXPECT_TRUE(writeEnlarged(texts.sheet, "editor-texts.png", 3));
}
