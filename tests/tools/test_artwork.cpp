// The knob film strip as the editor relies on it: premultiplied, transparent corners, the pointer
// where the frame number says, and the background opaque; the 2x pictures the same drawings, finer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "tools/artwork/Artwork.h"

using namespace Artwork;

namespace {

const Pixa::Canvas& stripCanvas(int scale)
{
    static const std::unique_ptr<Pixa::Canvas> s1 = drawnKnobStrip(1), s2 = drawnKnobStrip(2);
    return scale == 2 ? *s2 : *s1;
}

const Pixa::Canvas& background(int scale = 1)
{
    static const std::unique_ptr<Pixa::Canvas> b1 = drawnBackground(1), b2 = drawnBackground(2);
    return scale == 2 ? *b2 : *b1;
}

// The brightest spot on a circle of radius 15.5 (the pointer's mark on the skirt), as an angle in degrees.
double pointerAngle(int k, int scale = 1)
{
    double best = -1, angle = 0;
    const double centre = 20.0 * scale, radius = 15.5 * scale;
    for (int step = 0; step < 720; ++step) {
        const double a = (step / 2.0 - 180.0) * 3.14159265358979 / 180.0;
        const auto x = static_cast<std::int32_t>(centre + radius * std::sin(a));
        const auto y = static_cast<std::int32_t>(centre - radius * std::cos(a)) + k * knobFrameSize * scale;
        const double level = stripCanvas(scale).colorAt(x, y) & 0xFF;
        if (level > best)
            best = level, angle = step / 2.0 - 180.0;
    }
    return angle;
}

// How far a 2x picture, averaged down over 2 by 2 pixels, lies from the 1x one over a w by h region
// (tops given in 1x rows): the mean difference of all channels, and the largest mean over any 8 by 8
// block, which a shape drawn a pixel or two off, or at the wrong size, cannot keep small.
struct Closeness {
    double mean = 0, worstBlock = 0;
};

Closeness compareDownscaled(const Pixa::Canvas& fine, std::int32_t fineTop, const Pixa::Canvas& coarse,
                            std::int32_t coarseTop, int w, int h)
{
    std::vector<double> diff(static_cast<std::size_t>(w * h));
    double total = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Pixa::Color c = coarse.colorAt(x, coarseTop + y);
            double d = 0;
            for (int at = 0; at < 32; at += 8) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += static_cast<int>(fine.colorAt(2 * x + dx, fineTop + 2 * y + dy) >> at & 0xFF);
                d += std::fabs(sum / 4.0 - static_cast<double>(c >> at & 0xFF));
            }
            diff[static_cast<std::size_t>(y * w + x)] = d / 4;
            total += d / 4;
        }
    Closeness result;
    result.mean = total / (w * h);
    for (int by = 0; by + 8 <= h; by += 4)
        for (int bx = 0; bx + 8 <= w; bx += 4) {
            double block = 0;
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x)
                    block += diff[static_cast<std::size_t>(y * w + x)];
            result.worstBlock = std::max(result.worstBlock, block / 64);
        }
    return result;
}

}  // namespace

TEST(Artwork, KnobStripIsPremultipliedWithTransparentCorners)
{
    const Pixa::Canvas& c = stripCanvas(1);
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

TEST(Artwork, PointerFollowsTheFrameNumberAtBothScales)
{
    for (int scale : {1, 2})
        for (int k : {0, 25, 50, 75, 100})
            EXPECT_NEAR(pointerAngle(k, scale), -140.0 + 2.8 * k, scale == 2 ? 2.0 : 4.0)
                << "frame " << k << " at " << scale << "x";
}

TEST(Artwork, BackgroundIsOpaqueWithTheScaleLinesOnTheirRows)
{
    const Pixa::Canvas& bg = background();
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

TEST(Artwork, TwiceTheSizeAveragesDownToTheOneTimesPicture)
{
    const Closeness c = compareDownscaled(background(2), 0, background(1), 0, editorWidth, editorHeight);
    EXPECT_LT(c.mean, 1.5);
    EXPECT_LT(c.worstBlock, 12.0);  // today 0.9 and 9.7: the thin letters' edges
    for (int k : {0, 13, 50, 87, 100}) {
        const Closeness f = compareDownscaled(stripCanvas(2), 2 * k * knobFrameSize, stripCanvas(1),
                                              k * knobFrameSize, knobFrameSize, knobFrameSize);
        EXPECT_LT(f.mean, 3.0) << "frame " << k;         // today at most 1.5
        EXPECT_LT(f.worstBlock, 12.0) << "frame " << k;  // today at most 9.8, the pointer's edges
    }
}

TEST(Artwork, ScaleLinesAreCrispTwoPixelLinesAt2x)
{
    // The meter well is one solid colour, so the rows just above and below a line are untouched only
    // if the line covers exactly its two device rows.
    const Pixa::Canvas& bg = background(2);
    const Pixa::Color well = bg.colorAt(2 * 112, 2 * 60);
    for (int row : {20, 70, 120, 170, 220}) {
        const std::int32_t x = 2 * 110, y = 2 * row;
        EXPECT_EQ(bg.colorAt(x, y - 1), well) << row;
        EXPECT_EQ(bg.colorAt(x, y + 2), well) << row;
        EXPECT_EQ(bg.colorAt(x, y), 0xFF000000u | 0xD3AD6Bu) << row;
        EXPECT_EQ(bg.colorAt(x, y + 1), 0xFF000000u | 0xD3AD6Bu) << row;
    }
}
