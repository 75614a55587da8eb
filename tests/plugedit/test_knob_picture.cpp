// The knob picture: which film-strip frame is shown and how neighbours are mixed, the arcs' colours
// along the track, values beyond the range.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "plugedit/KnobPicture.h"

using namespace PlugEdit;

namespace {

// A strip whose frame k is an opaque grey of level k + 100, so the shown frame can be read back.
const Pixa::Canvas& numberedStrip()
{
    static const auto strip = [] {
        auto s = std::make_unique<Pixa::Canvas>(40, 40 * 101);
        for (std::uint32_t y = 0; y < s->getHeight(); ++y)
            for (std::uint32_t x = 0; x < 40; ++x) {
                const std::uint32_t level = y / 40 + 100;
                s->row(y)[x] = 0xFF000000u | level << 16 | level << 8 | level;
            }
        return s;
    }();
    return *strip;
}

unsigned shownLevel(float value)
{
    Pixa::Canvas c(80, 80);
    drawKnobPicture(c, value, false, numberedStrip());
    return c.colorAt(40, 34) & 0xFF;  // the square spans columns 20..59, rows 14..53
}

}  // namespace

TEST(KnobPicture, FramesAndCrossFade)
{
    EXPECT_EQ(shownLevel(0.0f), 100u);
    EXPECT_EQ(shownLevel(1.0f), 200u);
    EXPECT_EQ(shownLevel(0.5f), 150u);
    // 0.505: frames 50 and 51 mixed 127: 150 x 128/255 + 151 x 127/255, each rounded.
    EXPECT_EQ(shownLevel(0.505f), 75u + 75u);
    Pixa::Canvas c(80, 80);
    drawKnobPicture(c, 0.5f, false, numberedStrip());
    EXPECT_EQ(c.colorAt(19, 34) >> 24, 0u);  // left of the square, inside the ring: nothing
    EXPECT_NE(c.colorAt(20, 14), 0u);
    EXPECT_EQ(c.colorAt(40, 54) >> 24, 0u);
}

TEST(KnobPicture, ValueArcColoursTheTrackUpToTheValue)
{
    const Pixa::Canvas empty(40, 40 * 101);
    Pixa::Canvas low(80, 80), high(80, 80);
    drawKnobPicture(low, 0.0f, false, empty);
    drawKnobPicture(high, 1.0f, false, empty);
    // On the track's right end (angle +140 degrees from up, radius 16 around (40, 34)).
    const int x = 40 + 10, y = 34 + 12;
    EXPECT_LT(low.colorAt(x, y) >> 24, 0x80u);   // translucent dark track
    EXPECT_EQ(high.colorAt(x, y) >> 24, 0xFFu);  // opaque value colour
    EXPECT_GT(high.colorAt(x, y) >> 16 & 0xFF, 0x80u);  // red end of the hue range
    // The nine dots are opaque grey; the first sits at -140 degrees, radius 21.3.
    EXPECT_EQ(low.colorAt(26, 50), 0xFF888888u);
}

TEST(KnobPicture, ValuesBeyondTheRangeShowTheEndStopsAndLearningDarkens)
{
    EXPECT_EQ(shownLevel(-0.5f), shownLevel(0.0f));
    EXPECT_EQ(shownLevel(7.0f), shownLevel(1.0f));
    EXPECT_EQ(shownLevel(std::numeric_limits<float>::quiet_NaN()), shownLevel(0.0f));

    Pixa::Canvas c(80, 80);
    drawKnobPicture(c, 0.5f, true, numberedStrip());
    EXPECT_EQ(c.colorAt(40, 34) & 0xFF, (150u * 34 + 127) / 255);  // 0xDD black over the frame
    EXPECT_EQ(c.colorAt(10, 34), 0xFF000000u);  // the badge's left edge (its corners overlap and fold)
}
