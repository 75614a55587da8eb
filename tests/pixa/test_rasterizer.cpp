// The rasterizer's worked cases: exact coverage of a rectangle, one edge's cells and spans, the even-odd
// cancellation, clipping, and the stroke, cap and arc geometry.
#include <gtest/gtest.h>

#include <cmath>

#include "pixa/CoverageBuffer.h"

using namespace Pixa;

namespace {

// Coverage (0..255) of each pixel: a white fill of an empty canvas gives it as the alpha byte.
struct Raster {
    Raster(std::int32_t w, std::int32_t h) : canvas(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h))
    {
        coverage.create(w, h);
    }
    void fill(const Path& polygon)
    {
        coverage.addPolygon(polygon);
        fillCoverage(canvas, coverage, SolidPaint(0xFFFFFFFFu));
        coverage.clear();
    }
    unsigned at(std::int32_t x, std::int32_t y) const { return alphaOf(canvas.colorAt(x, y)); }
    Canvas canvas;
    CoverageBuffer coverage;
};

void expectClear(const CoverageBuffer& b)
{
    for (std::int32_t r = 0; r < b.getHeight(); ++r) {
        ASSERT_EQ(b.span(r).first, static_cast<std::uint32_t>(b.getWidth()));
        ASSERT_EQ(b.span(r).end, 0u);
        for (std::int32_t c = 0; c < b.getWidth(); ++c)
            ASSERT_EQ(b.cell(r, c), 0);
    }
}

const Path meterWindow = {{90.5f, 21}, {150.5f, 21}, {150.5f, 220}, {90.5f, 220}};

}  // namespace

TEST(PixaCoverage, RectangleCoverageRowsAndHalfColumns)
{
    Raster r(160, 260);
    r.fill(meterWindow);
    EXPECT_EQ(r.at(91, 22), 255u);
    EXPECT_EQ(r.at(149, 219), 255u);
    EXPECT_EQ(r.at(90, 100), 128u);
    EXPECT_EQ(r.at(150, 100), 128u);
    EXPECT_EQ(r.at(120, 21), 240u);
    EXPECT_EQ(r.at(120, 220), 16u);
    EXPECT_EQ(r.at(89, 100), 0u);
    EXPECT_EQ(r.at(151, 100), 0u);
    EXPECT_EQ(r.at(120, 20), 0u);
    EXPECT_EQ(r.at(120, 221), 0u);
    expectClear(r.coverage);  // clear restores every cell and span
}

TEST(PixaCoverage, OneEdgeCellsAndSpans)
{
    CoverageBuffer b;
    b.create(4, 3);
    b.addLine({0.5f, 0.0f}, {0.5f, 1.0f});
    EXPECT_EQ(b.cell(0, 0), 120);
    EXPECT_EQ(b.cell(0, 1), 120);
    EXPECT_EQ(b.cell(1, 0), 8);
    EXPECT_EQ(b.cell(1, 1), 8);
    EXPECT_EQ(b.cell(0, 2), 0);
    for (int row : {0, 1}) {
        EXPECT_EQ(b.span(row).first, 0u);
        EXPECT_EQ(b.span(row).end, 2u);
    }
    EXPECT_EQ(b.span(2).end, 0u);
    // The opposite direction deposits the negatives; a horizontal edge nothing.
    b.addLine({0.5f, 1.0f}, {0.5f, 0.0f});
    b.addLine({0.0f, 2.5f}, {3.0f, 2.5f});
    for (std::int32_t row = 0; row < 3; ++row)
        for (std::int32_t c = 0; c < 4; ++c)
            EXPECT_EQ(b.cell(row, c), 0);
}

TEST(PixaCoverage, EvenOddCancelsAndDegeneratePolygonsAddNothing)
{
    // Whole pixels: two layers are 512, folded to nothing. (The first and last rows get 15 and 1 of their
    // sub-scanlines, so there the fold leaves 31 and 32.)
    const Path aligned = {{90, 21}, {150, 21}, {150, 220}, {90, 220}};
    Raster r(160, 260);
    r.coverage.addPolygon(aligned);
    r.coverage.addPolygon(aligned);
    r.coverage.addPolygon(Path{{5, 5}});
    r.coverage.addPolygon(Path{});
    fillCoverage(r.canvas, r.coverage, SolidPaint(0xFFFFFFFFu));
    for (std::int32_t y = 0; y < 260; ++y)
        for (std::int32_t x = 0; x < 160; ++x)
            ASSERT_EQ(r.at(x, y), y == 21 && x >= 90 && x < 150 ? 31u : y == 220 && x >= 90 && x < 150 ? 32u : 0u)
                << x << "," << y;
    r.canvas.clear();
    r.coverage.clear();

    // Half-covered pixels follow the triangle wave: 2 x 128 = 256 reads as full, 2 x 240 = 480 as 31.
    r.coverage.addPolygon(meterWindow);
    r.coverage.addPolygon(meterWindow);
    fillCoverage(r.canvas, r.coverage, SolidPaint(0xFFFFFFFFu));
    EXPECT_EQ(r.at(120, 100), 0u);
    EXPECT_EQ(r.at(90, 100), 255u);
    EXPECT_EQ(r.at(120, 21), 31u);
}

TEST(PixaCoverage, ClippingLeftAndBelow)
{
    Raster r(20, 10);
    r.fill(Path{{-5.0f, 2.0f}, {4.0f, 2.0f}, {4.0f, 30.0f}, {-5.0f, 30.0f}});
    EXPECT_EQ(r.at(0, 5), 255u);  // as if the buffer went on to the left
    EXPECT_EQ(r.at(3, 9), 255u);  // cut at the last row
    EXPECT_EQ(r.at(4, 5), 0u);
    EXPECT_EQ(r.at(0, 1), 0u);
    // Absurd coordinates stay defined and draw nothing outside.
    r.fill(Path{{NAN, 0.0f}, {1e30f, 1e30f}, {-1e30f, 3.0f}});
}

TEST(PixaStroke, ButtSegmentAndDegeneratePaths)
{
    Path outline;
    strokePath(outline, 4.0f, false, Path{{10, 10}, {10, 10}, {10, 10}});
    EXPECT_TRUE(outline.empty());

    strokePath(outline, 4.0f, false, Path{{10, 10}, {10, 30}});
    ASSERT_EQ(outline.size(), 5u);
    // A - n, A + n, B + n, B - n, A - n with n = (-2, 0) for a segment going down.
    const Point expected[] = {{12, 10}, {8, 10}, {8, 30}, {12, 30}, {12, 10}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(outline[i].x, expected[i].x) << i;
        EXPECT_FLOAT_EQ(outline[i].y, expected[i].y) << i;
    }
}

TEST(PixaStroke, JoinBevelsOutsideAndTrimsInside)
{
    Path outline;
    ASSERT_TRUE(appendJoin(outline, 2.0f, {0, 0}, {10, 0}, {10, 10}));
    // Turning right on screen: the plus side (y + 1 before the bend) is inside and meets once.
    ASSERT_EQ(outline.size(), 3u);
    EXPECT_FLOAT_EQ(outline.back().x, 9.0f);
    EXPECT_FLOAT_EQ(outline.back().y, 1.0f);
    EXPECT_FLOAT_EQ(outline[0].x, 11.0f);  // the bevel's two points at the front
    EXPECT_FLOAT_EQ(outline[0].y, 0.0f);
    EXPECT_FLOAT_EQ(outline[1].x, 10.0f);
    EXPECT_FLOAT_EQ(outline[1].y, -1.0f);
    EXPECT_FALSE(appendJoin(outline, 2.0f, {0, 0}, {0, 0}, {10, 10}));
    EXPECT_EQ(outline.size(), 3u);
}

TEST(PixaStroke, ArcPointCountAndRoundCapBounds)
{
    Path arc;
    appendArc(arc, 16.0f, 0.0f, 280.0f * 3.14159265358979f / 180.0f, 40.0f, 34.0f);
    EXPECT_EQ(arc.size(), 513u);
    EXPECT_NEAR(arc.front().x, 40.0f, 1e-5f);  // angle 0 points up
    EXPECT_NEAR(arc.front().y, 18.0f, 1e-5f);
    for (const Point& p : arc)
        ASSERT_NEAR(std::hypot(p.x - 40.0f, p.y - 34.0f), 16.0f, 1e-3f);

    Path cap;
    appendCap(cap, 6.0f, true, {50, 50}, {50, 80});
    ASSERT_GT(cap.size(), 2u);
    for (const Point& p : cap) {
        EXPECT_LE(std::hypot(p.x - 50.0f, p.y - 50.0f), 3.0f + 1e-4f);
        EXPECT_LE(p.y, 50.0f + 1e-4f);  // the half behind the end point
        const bool tangent = (std::fabs(p.y - 50.0f) < 1e-4f && std::fabs(std::fabs(p.x - 50.0f) - 3.0f) < 1e-4f) ||
                             (std::fabs(p.x - 50.0f) < 1e-4f && std::fabs(p.y - 47.0f) < 1e-4f);
        EXPECT_FALSE(tangent) << p.x << "," << p.y;
    }
    Path corner;
    appendRoundCorner(corner, {0, 0}, {0.0001f, 0}, {0.0001f, 0.0001f});
    ASSERT_EQ(corner.size(), 1u);  // degenerate: the corner point alone
}

TEST(PixaStroke, StrokedLineFillsItsColumns)
{
    // A vertical bar of width 11 centred on x = 110.5 covers columns 105 to 115 fully.
    Raster r(160, 260);
    Path line{{110.5f, 240}, {110.5f, 100}}, outline;
    strokePath(outline, 11.0f, false, line);
    r.fill(outline);
    EXPECT_EQ(r.at(104, 150), 0u);
    EXPECT_EQ(r.at(105, 150), 255u);
    EXPECT_EQ(r.at(115, 150), 255u);
    EXPECT_EQ(r.at(116, 150), 0u);
}
