// The canvas's own pixel work: bounds, compositing over every pixel, the 40-pixel square.
#include <gtest/gtest.h>

#include <new>

#include "pixa/Canvas.h"

using namespace Pixa;

TEST(PixaCanvas, StartsTransparentAndAnswersZeroOutside)
{
    Canvas c(7, 5);
    for (std::int32_t y = 0; y < 5; ++y)
        for (std::int32_t x = 0; x < 7; ++x)
            ASSERT_EQ(c.colorAt(x, y), 0u);
    c.row(0)[0] = c.row(4)[6] = 0xFFFFFFFFu;
    EXPECT_EQ(c.colorAt(6, 4), 0xFFFFFFFFu);
    EXPECT_EQ(c.colorAt(-1, 0), 0u);
    EXPECT_EQ(c.colorAt(7, 0), 0u);
    EXPECT_EQ(c.colorAt(0, 5), 0u);
    EXPECT_EQ(c.colorAt(0, -1), 0u);
    EXPECT_THROW(Canvas(65536, 16384), std::bad_alloc);  // 4 GiB of pixels
}

TEST(PixaCanvas, FillPaintCompositesAndSkipsEmptyColour)
{
    Canvas c(3, 2);
    c.row(1)[2] = 0x00F0F0F0u;
    c.fillPaint(SolidPaint(0x00202020u));
    EXPECT_EQ(c.colorAt(0, 0), 0x00202020u);
    EXPECT_EQ(c.colorAt(2, 1), 0x00FFFFFFu);
    c.fillPaint(SolidPaint(0u));
    EXPECT_EQ(c.colorAt(2, 1), 0x00FFFFFFu);
    c.fillPaint(SolidPaint(0xFF000000u));
    EXPECT_EQ(c.colorAt(2, 1), 0xFF000000u);
}

TEST(PixaCanvas, FillSquare40IsCutAtTheBottomAndByAsMuchOnTheRight)
{
    Canvas c(80, 50);
    const SolidPaint white(0xFFFFFFFFu);
    c.fillSquare40(white, 40);  // 10 rows left
    for (std::int32_t y = 0; y < 50; ++y)
        for (std::int32_t x = 0; x < 80; ++x) {
            const bool inside = y >= 40 && x >= 20 && x < 30;
            ASSERT_EQ(c.colorAt(x, y), inside ? 0xFFFFFFFFu : 0u) << x << "," << y;
        }

    // Sampled in the square's own coordinates.
    Canvas strip(40, 80);
    strip.row(40)[0] = 0xFF00FF00u;
    Canvas target(80, 80);
    target.fillSquare40(OffsetPaint(strip, 0, 40), 14);
    EXPECT_EQ(target.colorAt(20, 14), 0xFF00FF00u);
    target.fillSquare40(white, -3);  // out of range: nothing
    target.fillSquare40(white, 80);
    EXPECT_EQ(target.colorAt(20, 0), 0u);
}

TEST(PixaCanvas, FillSquareSamplesItsOwnCoordinatesAndIsCutOnEverySide)
{
    Canvas strip(4, 8);
    strip.row(4)[0] = 0xFF00FF00u;  // the second 4 by 4 frame's corner
    Canvas c(6, 6);
    c.fillSquare(OffsetPaint(strip, 0, 4), 1, 2, 4);
    EXPECT_EQ(c.colorAt(1, 2), 0xFF00FF00u);
    EXPECT_EQ(c.colorAt(2, 2), 0u);

    const SolidPaint white(0xFFFFFFFFu);
    Canvas cut(6, 6);
    cut.fillSquare(white, -2, 4, 4);  // two columns left of the canvas, two rows below it
    for (std::int32_t y = 0; y < 6; ++y)
        for (std::int32_t x = 0; x < 6; ++x)
            ASSERT_EQ(cut.colorAt(x, y), x < 2 && y >= 4 ? 0xFFFFFFFFu : 0u) << x << "," << y;
}
