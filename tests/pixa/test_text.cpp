// Text from outlines with a made-up font whose glyphs fall on whole pixels: holes stay empty, advances
// and kerning add up, plain pixels are all or nothing, and the DrawText placement and cutting rules.
#include <gtest/gtest.h>

#include "pixa/TextLayout.h"

using namespace Pixa;

namespace {

constexpr auto M = FontVertex::moveTo;
constexpr auto L = FontVertex::lineTo;
constexpr auto Q = FontVertex::curveTo;

// Ten units per em. Glyph 0 is a box; 'l' a bar; 'o' a square ring wound as TrueType winds it (outer
// clockwise, inner against); 'c' a quarter-round corner.
const FontVertex vertices[] = {
    {0, 0, 0, 0, M},  {4, 0, 0, 0, L},  {4, 8, 0, 0, L},  {0, 8, 0, 0, L},  {0, 0, 0, 0, L},   // 0
    {1, 0, 0, 0, M},  {1, 8, 0, 0, L},  {3, 8, 0, 0, L},  {3, 0, 0, 0, L},  {1, 0, 0, 0, L},   // 'l'
    {0, 0, 0, 0, M},  {0, 8, 0, 0, L},  {8, 8, 0, 0, L},  {8, 0, 0, 0, L},  {0, 0, 0, 0, L},   // 'o'
    {2, 2, 0, 0, M},  {6, 2, 0, 0, L},  {6, 6, 0, 0, L},  {2, 6, 0, 0, L},  {2, 2, 0, 0, L},
    {0, 0, 0, 0, M},  {0, 6, 0, 0, L},  {6, 0, 0, 6, Q},  {0, 0, 0, 0, L},                     // 'c'
};
const FontGlyph glyphs[] = {
    {0, 5, 0, 0, 4, 8, 0, 5},
    {'c', 7, 0, 0, 6, 6, 20, 4},
    {'l', 4, 1, 0, 3, 8, 5, 5},
    {'o', 10, 0, 0, 8, 8, 10, 10},
};
const FontKerning kerning[] = {{2, 3, -2}};  // 'l' then 'o'
const Font testFont = {"test", 10, 8, 2, glyphs, 4, vertices, kerning, 1};

TextStyle style(float size, bool antialiased = true)
{
    return TextStyle{&testFont, size, 0xFFFFFFFFu, antialiased};
}

// The smallest rectangle holding every pixel that is not transparent; all zero when there is none.
PixelRect inkBox(const Canvas& canvas)
{
    PixelRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (std::int32_t y = 0; y < static_cast<std::int32_t>(canvas.getHeight()); ++y)
        for (std::int32_t x = 0; x < static_cast<std::int32_t>(canvas.getWidth()); ++x)
            if (canvas.colorAt(x, y))
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    return box.left == INT32_MAX ? PixelRect{0, 0, 0, 0} : box;
}

void expectBox(const PixelRect& box, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    EXPECT_EQ(box.left, left);
    EXPECT_EQ(box.top, top);
    EXPECT_EQ(box.right, right);
    EXPECT_EQ(box.bottom, bottom);
}

}  // namespace

TEST(PixaText, GlyphHoleStaysEmptyAndTheRingIsSolidOnWholePixels)
{
    Canvas canvas(24, 24);
    TextPainter painter;
    painter.drawText(canvas, "o", 2, 18, style(20));  // ring from x 2 to 18, y 2 to 18; hole 6 to 14
    for (std::int32_t y = 0; y < 24; ++y)
        for (std::int32_t x = 0; x < 24; ++x) {
            const bool ring = x >= 2 && x < 18 && y >= 2 && y < 18 && !(x >= 6 && x < 14 && y >= 6 && y < 14);
            ASSERT_EQ(alphaOf(canvas.colorAt(x, y)), ring ? 255u : 0u) << x << "," << y;
        }
}

TEST(PixaText, AdvancesKerningAndCharacters)
{
    EXPECT_FLOAT_EQ(textAdvance("lo", style(20)), 28.0f);
    TextStyle kerned = style(20);
    kerned.kerning = true;
    EXPECT_FLOAT_EQ(textAdvance("lo", kerned), 24.0f);
    EXPECT_FLOAT_EQ(textAdvance("ol", kerned), 28.0f);
    // Missing characters and bytes that are not UTF-8 take the stand-in; control characters nothing.
    EXPECT_FLOAT_EQ(textAdvance("\xC3\xA9", style(10)), 5.0f);
    EXPECT_FLOAT_EQ(textAdvance("\xC3l", style(10)), 9.0f);
    EXPECT_FLOAT_EQ(textAdvance("l\tl\n", style(10)), 8.0f);
    TextStyle menu = style(10);
    menu.mnemonics = true;
    EXPECT_FLOAT_EQ(textAdvance("&l&&", menu), 9.0f);
    TextStyle whole = style(9);
    whole.wholePixelAdvances = true;  // 'l' 3.6 and 'o' 9 pixels, each rounded before they add up
    EXPECT_FLOAT_EQ(textAdvance("llo", style(9)), 16.2f);
    EXPECT_FLOAT_EQ(textAdvance("llo", whole), 17.0f);
    EXPECT_EQ(textWidth("l", style(9)), 4);  // 3.6 rounds up
    EXPECT_EQ(textWidth("l", style(8.5f)), 3);
    const LineMetrics line = lineMetrics(testFont, 15);
    EXPECT_EQ(line.ascent, 12);
    EXPECT_EQ(line.descent, 3);
    EXPECT_EQ(line.height, 15);
}

TEST(PixaText, PlainPixelsAreAllOrNothing)
{
    Canvas smooth(40, 20), plain(40, 20);
    TextPainter painter;
    painter.drawText(plain, "coll", 1.3f, 15.4f, style(13, false));  // a painter's first text may be plain
    painter.drawText(smooth, "coll", 1.3f, 15.4f, style(13));
    int partial = 0, full = 0;
    for (std::int32_t y = 0; y < 20; ++y)
        for (std::int32_t x = 0; x < 40; ++x) {
            const unsigned a = alphaOf(plain.colorAt(x, y)), s = alphaOf(smooth.colorAt(x, y));
            ASSERT_TRUE(a == 0 || a == 255) << x << "," << y;
            // A plain pixel is set where the smooth one is covered three eighths or more.
            ASSERT_EQ(a == 255, s >= 96) << x << "," << y;
            partial += s > 0 && s < 255;
            full += a == 255;
        }
    EXPECT_GT(partial, 10);
    EXPECT_GT(full, 50);
}

TEST(PixaText, GammaLiftsPartialCoverage)
{
    // 'l' at 10 px from x 0.5: its edges cover columns 1 and 3 by half.
    for (const float gamma : {1.0f, 2.0f}) {
        Canvas canvas(8, 12);
        TextPainter painter;
        TextStyle s = style(10);
        s.gamma = gamma;
        painter.drawText(canvas, "l", 0.5f, 10, s);
        EXPECT_EQ(alphaOf(canvas.colorAt(1, 5)), gamma == 1.0f ? 128u : 181u);
        EXPECT_EQ(alphaOf(canvas.colorAt(2, 5)), 255u);
        EXPECT_EQ(alphaOf(canvas.colorAt(0, 5)), 0u);
    }
}

TEST(PixaText, PlacedInRectanglesAsDrawTextPlacesThem)
{
    // 'l' at 10 px: 4 wide, ink one unit in from its left; the line is 8 + 2 tall.
    const PixelRect rect{10, 10, 31, 40};
    struct Case {
        std::uint32_t format;
        std::int32_t left, top;
    } cases[] = {
        {textLeft | textTop, 11, 10},
        {textCenter | textSingleLine, 19, 10},                // (10 + 31 - 4) / 2 = 18
        {textRight | textSingleLine | textBottom, 28, 30},    // 31 - 4; 40 - 10
        {textCenter | textSingleLine | textVCenter, 19, 20},  // 10 + 15 - 5
    };
    for (const Case& c : cases) {
        Canvas canvas(48, 48);
        TextPainter painter;
        drawTextInRect(painter, canvas, "l", rect, c.format, style(10));
        expectBox(inkBox(canvas), c.left, c.top, c.left + 2, c.top + 8);
    }
    // Lines break at "\n" and "\r\n", each aligned on its own.
    Canvas canvas(48, 48);
    TextPainter painter;
    drawTextInRect(painter, canvas, "l\r\nl", rect, textRight, style(10));
    expectBox(inkBox(canvas), 28, 10, 30, 28);
    EXPECT_EQ(alphaOf(canvas.colorAt(28, 18)), 0u);
    EXPECT_EQ(alphaOf(canvas.colorAt(28, 20)), 255u);
}

TEST(PixaText, NothingDrawnOutsideTheRectangleUnlessAsked)
{
    // Two stand-in boxes of 16 by 32 pixels, 20 apart, wider and taller than the rectangle.
    const PixelRect rect{5, 6, 25, 15};
    Canvas canvas(60, 40);
    TextPainter painter;
    drawTextInRect(painter, canvas, "xx", rect, textCenter | textSingleLine | textVCenter, style(40));
    expectBox(inkBox(canvas), rect.left, rect.top, rect.right, rect.bottom);
    canvas.clear();
    painter.drawText(canvas, "xx", -4.63f, 21.7f, style(40), rect);
    expectBox(inkBox(canvas), rect.left, rect.top, rect.right, rect.bottom);
    canvas.clear();
    drawTextInRect(painter, canvas, "xx", rect, textCenter | textSingleLine | textVCenter | textNoClip, style(40));
    expectBox(inkBox(canvas), 0, 0, 31, 22);
    // A cut through the ring keeps the hole empty.
    Canvas ring(24, 24);
    painter.drawText(ring, "o", 2, 18, style(20), {4, 4, 10, 24});
    EXPECT_EQ(alphaOf(ring.colorAt(5, 5)), 255u);
    EXPECT_EQ(alphaOf(ring.colorAt(7, 8)), 0u);
    expectBox(inkBox(ring), 4, 4, 10, 18);
}

TEST(PixaText, MeasuredRectangleAndColours)
{
    const PixelRect m = measureTextRect("lo\nl", {3, 4, 5, 6}, textLeft, style(20));
    expectBox(m, 3, 4, 31, 44);
    const PixelRect single = measureTextRect("lo\nl", {3, 4, 5, 6}, textSingleLine | textNoPrefix, style(10));
    expectBox(single, 3, 4, 3 + 18, 14);
    // Aligned lines end where they would be drawn: at the bottom, or centred (4 + 10 - 5 + 10).
    expectBox(measureTextRect("lo", {3, 4, 5, 30}, textSingleLine | textBottom, style(10)), 3, 4, 17, 30);
    expectBox(measureTextRect("lo", {3, 4, 5, 24}, textSingleLine | textVCenter, style(10)), 3, 4, 17, 19);
    EXPECT_EQ(colorFromColorRef(0x6BADD3), 0xFFD3AD6Bu);
    EXPECT_EQ(colorFromColorRef(0x00FFFFFF), 0xFFFFFFFFu);
}
