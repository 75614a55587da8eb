// The knob film strip as the editor relies on it: premultiplied, transparent corners, the pointer
// where the frame number says, and the background opaque.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/artwork/Artwork.h"

using namespace Artwork;

namespace {

struct Strip {
    Strip() : canvas(knobFrameSize, knobFrameSize * knobFrames)
    {
        for (int k = 0; k < knobFrames; ++k)
            drawKnobFrame(canvas, k);
    }
    Pixa::Canvas canvas;
};

const Strip& strip()
{
    static const Strip s;
    return s;
}

// The brightest spot on a circle of radius 15.5 (the pointer's mark on the skirt), as an angle in degrees.
double pointerAngle(int k)
{
    double best = -1, angle = 0;
    for (int step = 0; step < 720; ++step) {
        const double a = (step / 2.0 - 180.0) * 3.14159265358979 / 180.0;
        const auto x = static_cast<std::int32_t>(20 + 15.5 * std::sin(a));
        const auto y = static_cast<std::int32_t>(20 - 15.5 * std::cos(a)) + k * knobFrameSize;
        const double level = strip().canvas.colorAt(x, y) & 0xFF;
        if (level > best)
            best = level, angle = step / 2.0 - 180.0;
    }
    return angle;
}

}  // namespace

TEST(Artwork, KnobStripIsPremultipliedWithTransparentCorners)
{
    const Pixa::Canvas& c = strip().canvas;
    for (std::uint32_t y = 0; y < c.getHeight(); ++y)
        for (std::uint32_t x = 0; x < c.getWidth(); ++x) {
            const Pixa::Color p = c.row(y)[x];
            const unsigned a = p >> 24;
            ASSERT_LE(p >> 16 & 0xFF, a);
            ASSERT_LE(p >> 8 & 0xFF, a);
            ASSERT_LE(p & 0xFF, a);
        }
    for (int k = 0; k < knobFrames; ++k) {
        const std::int32_t top = k * knobFrameSize;
        EXPECT_EQ(c.colorAt(0, top), 0u);
        EXPECT_EQ(c.colorAt(39, top + 39), 0u);
        EXPECT_EQ(c.colorAt(20, top + 20) >> 24, 0xFFu);  // the cap is opaque
    }
}

TEST(Artwork, PointerFollowsTheFrameNumber)
{
    for (int k : {0, 25, 50, 75, 100})
        EXPECT_NEAR(pointerAngle(k), -140.0 + 2.8 * k, 4.0) << "frame " << k;
}

TEST(Artwork, BackgroundIsOpaqueWithTheScaleLinesOnTheirRows)
{
    Pixa::Canvas bg(editorWidth, editorHeight);
    drawBackground(bg);
    for (std::uint32_t y = 0; y < bg.getHeight(); ++y)
        for (std::uint32_t x = 0; x < bg.getWidth(); ++x)
            ASSERT_EQ(bg.row(y)[x] >> 24, 0xFFu);
    auto golden = [&](int x, int y) { return (bg.colorAt(x, y) >> 16 & 0xFF) > 0xA0; };
    for (int row : {20, 120, 220}) {
        EXPECT_TRUE(golden(90, row) && golden(120, row) && golden(150, row)) << row;
        EXPECT_FALSE(golden(120, row + 2)) << row;
    }
    for (int row : {70, 170})
        EXPECT_TRUE(golden(100, row) && golden(140, row)) << row;
}
