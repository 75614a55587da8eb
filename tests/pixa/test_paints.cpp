// The packed colour arithmetic and the paints, with the library's worked numbers.
#include <gtest/gtest.h>

#include "pixa/Canvas.h"
#include "pixa/Paint.h"

using namespace Pixa;

TEST(PixaColor, ScaleAddAndBlendAreExactPerChannel)
{
    EXPECT_EQ(scaleColor(0xFFFFFFFFu, 128), 0x80808080u);
    EXPECT_EQ(scaleColor(0x80402010u, 255), 0x80402010u);
    EXPECT_EQ(scaleColor(0x12345678u, 0), 0u);
    // Against the one-channel formula for every channel value and a spread of factors.
    for (unsigned a = 0; a < 256; a += 17)
        for (unsigned c = 0; c < 256; ++c) {
            const unsigned expected = (c * a + 128 + ((c * a + 128) >> 8)) >> 8;
            const Color word = c | (255 - c) << 8 | c << 16 | (c ^ 0x5A) << 24;
            const Color got = scaleColor(word, static_cast<std::uint8_t>(a));
            ASSERT_EQ(got & 0xFF, expected) << c << " " << a;
            ASSERT_EQ(got >> 16 & 0xFF, expected);
            ASSERT_EQ(got >> 8 & 0xFF, ((255 - c) * a + 128 + (((255 - c) * a + 128) >> 8)) >> 8);
            ASSERT_EQ(got >> 24, (((c ^ 0x5A) * a + 128 + (((c ^ 0x5A) * a + 128) >> 8)) >> 8));
        }
    EXPECT_EQ(addColors(0x80FF4000u, 0x80014001u), 0xFFFF8001u);
    EXPECT_EQ(addColors(0u, 0x01020304u), 0x01020304u);
    EXPECT_EQ(blendOver(0xFF000000u, 0x00FFFFFFu), 0xFF000000u);
    EXPECT_EQ(blendOver(0x00202020u, 0x00F0F0F0u), 0x00FFFFFFu);
    EXPECT_EQ(blendOver(0u, 0x12345678u), 0x12345678u);
}

TEST(PixaColor, HsvToRgb)
{
    EXPECT_EQ(hsvToRgb(0.0f, 0.0f, 1.0f), 0x00FFFFFFu);
    EXPECT_EQ(hsvToRgb(1.0f / 3.0f, 1.0f, 1.0f), 0x0000FF00u);
    EXPECT_EQ(hsvToRgb(-0.25f, 1.0f, 1.0f), hsvToRgb(0.75f, 1.0f, 1.0f));
    EXPECT_EQ(hsvToRgb(1.0f, 1.0f, 1.0f), 0x00FF0000u);  // h = 1 wraps to red through h6 = 6
    EXPECT_EQ(hsvToRgb(1.5f, 1.0f, 1.0f), hsvToRgb(0.5f, 1.0f, 1.0f));
    EXPECT_EQ(hsvToRgb(0.5f, 1.0f, 0.5f), 0x00007F7Fu);  // cyan at half value, truncated
}

TEST(PixaPaint, GradientEndsAndMiddle)
{
    const Color start = 0x00DDDD44u, end = 0x0044DD44u;
    const GradientPaint level(0.0f, 21.0f, 0.0f, 199.0f, start, end, 255.0f / (199.0f * 199.0f));
    EXPECT_EQ(level.colorAt(0, 21), start);
    EXPECT_EQ(level.colorAt(50, 0), start);  // before the origin
    EXPECT_EQ(level.colorAt(0, 220), end);
    EXPECT_EQ(level.colorAt(0, 400), end);
    // Along a diagonal direction, t = 127 gives the rounded halves of both colours.
    const GradientPaint diagonal = GradientPaint::between(0, 0, 255, 0, 0xFF0000FFu, 0xFFFF0000u);
    EXPECT_EQ(diagonal.colorAt(127, 9), addColors(scaleColor(0xFF0000FFu, 128), scaleColor(0xFFFF0000u, 127)));
    EXPECT_EQ(diagonal.colorAt(127, -9), diagonal.colorAt(127, 9));  // constant across the direction
}

TEST(PixaPaint, AlphaAndOffsetPaints)
{
    const SolidPaint red(0xFFFF0000u), blue(0xFF0000FFu);
    EXPECT_EQ(AlphaPaint(red, blue, 0).colorAt(3, 4), 0xFFFF0000u);
    EXPECT_EQ(AlphaPaint(red, blue, 255).colorAt(3, 4), 0xFF0000FFu);
    EXPECT_EQ(AlphaPaint(red, blue, 128).colorAt(3, 4), 0xFF7F0080u);

    Canvas strip(2, 6);
    strip.row(4)[1] = 0xFF123456u;
    const OffsetPaint frame(strip, 0, 4);
    EXPECT_EQ(frame.colorAt(1, 0), 0xFF123456u);
    EXPECT_EQ(frame.colorAt(1, 2), 0u);   // shifted beyond the bottom
    EXPECT_EQ(frame.colorAt(-1, 0), 0u);  // left of the canvas
}
