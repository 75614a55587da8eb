// The meter picture's pixel claims: which columns the bars cover, where levels land on either scale,
// and that everything is cut to the meter window.
#include <gtest/gtest.h>

#include "plugedit/MeterPicture.h"

using namespace PlugEdit;

namespace {

struct Meter {
    Meter() : meter(160, 260), scratch(160, 260) { coverage.create(160, 260); }
    void draw(MeterBlock block) { drawMeterPicture(block, meter, scratch, coverage); }
    Pixa::Color at(int x, int y) const { return meter.colorAt(x, y); }
    // The red channel, which every level paint carries.
    unsigned red(int x, int y) const { return at(x, y) >> 16 & 0xFF; }
    unsigned alpha(int x, int y) const { return at(x, y) >> 24; }
    Pixa::Canvas meter, scratch;
    Pixa::CoverageBuffer coverage;
};

MeterBlock levels(float peak, float power, float gain, float hold, bool wide = false)
{
    MeterBlock b;
    b.wideScale = wide;
    b.outPeak[0] = b.outPeak[1] = peak;
    b.outPower[0] = b.outPower[1] = power;
    b.minGain = gain;
    b.peakHold[0] = b.peakHold[1] = hold;
    return b;
}

}  // namespace

TEST(MeterPicture, PositionsOnBothScales)
{
    EXPECT_FLOAT_EQ(meterPosition(1.0f, false), 1.0f);
    EXPECT_FLOAT_EQ(meterPosition(0.1f, false), 0.0f);
    EXPECT_FLOAT_EQ(meterPosition(0.1f, true), 0.5f);
    EXPECT_FLOAT_EQ(meterPosition(0.0f, false), -1.0f);  // floor at 0.01
    EXPECT_FLOAT_EQ(meterPosition(0.0f, true), -0.5f);   // floor at 0.001
}

TEST(MeterPicture, FullScaleBarsCoverTheirColumnsAndAreDarkenedInTheMiddle)
{
    for (bool wide : {false, true}) {
        Meter m;
        m.draw(levels(1.0f, 1.0f, 1.0f, 1.0f, wide));
        for (int y : {22, 120, 219}) {
            EXPECT_EQ(m.at(104, y), 0u) << y;
            EXPECT_EQ(m.at(116, y), 0u) << "no red bar without reduction";
            EXPECT_EQ(m.at(124, y), 0u);
            EXPECT_EQ(m.at(136, y), 0u);
            for (int x : {105, 106, 114, 115, 125, 135})
                EXPECT_EQ(m.alpha(x, y), 0u) << x << "," << y;  // pure added light
            for (int x : {105, 115, 125, 135})
                EXPECT_GT(m.red(x, y), 0x40u) << x;
            // The average (width 6, centre 110.5) darkens 108..112 fully and 107, 113 in part (its
            // round caps' outermost points lie a quarter pixel inside the stroke's width).
            for (int x : {108, 110, 112, 128, 132})
                EXPECT_EQ(m.alpha(x, y), 0xE0u) << x << "," << y;
            for (int x : {107, 113, 127, 133}) {
                EXPECT_GT(m.alpha(x, y), 0x30u) << x;
                EXPECT_LT(m.alpha(x, y), 0x90u) << x;
            }
        }
        EXPECT_EQ(m.at(110, 20), 0u);  // cut at the top of the window
        EXPECT_EQ(m.at(110, 221), 0u);
        EXPECT_NE(m.at(110, 21), 0u);
    }
}

TEST(MeterPicture, SilentBlockDrawsNothingVisible)
{
    // The gain-reduction bar ends exactly at y = 21, whose first sub-scanline belongs to row 21: a trace
    // of 1/16 red there, too faint to see; nothing anywhere else.
    Meter m;
    m.draw(levels(1.0f, 1.0f, 0.0f, 1.0f));  // a full picture first: the next must wipe it all
    m.draw(levels(0.0f, 0.0f, 1.0f, 0.0f));
    for (int y = 0; y < 260; ++y)
        for (int x = 0; x < 160; ++x) {
            if (y == 21 && x >= 116 && x <= 124)
                ASSERT_LE(m.red(x, y), 0x10u);
            else
                ASSERT_EQ(m.at(x, y), 0u) << x << "," << y;
        }
}

TEST(MeterPicture, LevelsLandOnTheirRows)
{
    // -20 dB: the bottom edge on the 20 dB scale (nothing left), halfway on the 40 dB scale.
    Meter narrow, wide;
    narrow.draw(levels(0.1f, 0.0f, 1.0f, 0.0f));
    EXPECT_EQ(narrow.at(110, 219), 0u);
    wide.draw(levels(0.1f, 0.0f, 1.0f, 0.0f, true));
    EXPECT_EQ(wide.at(110, 119), 0u);
    // Row 121 is covered whole: the level gradient's own colour there, added light.
    const Pixa::GradientPaint level(0.0f, 21.0f, 0.0f, 199.0f, 0x00DDDD44u, 0x0044DD44u, 255.0f / (199.0f * 199.0f));
    EXPECT_EQ(wide.at(110, 121), level.colorAt(110, 121));
    EXPECT_LT(wide.at(110, 120) >> 16 & 0xFF, wide.red(110, 121));  // row 120 half covered

    // minGain 0.5 on the 20 dB scale: the red bar from the top down to y = 80.9.
    Meter gain;
    gain.draw(levels(0.0f, 0.0f, 0.5f, 0.0f));
    EXPECT_NE(gain.at(120, 21), 0u);
    EXPECT_NE(gain.at(120, 79), 0u);
    EXPECT_NE(gain.at(120, 80), 0u);  // 0.9 of row 80
    EXPECT_EQ(gain.at(120, 81), 0u);
    for (int x : {117, 123})
        EXPECT_EQ(gain.at(x, 50) >> 16 & 0xFF, gain.at(120, 50) >> 16 & 0xFF);
    EXPECT_LT(gain.red(116, 50), gain.red(120, 50));  // half-covered edge columns
    EXPECT_GT(gain.red(116, 50), 0u);
    EXPECT_EQ(gain.at(115, 50), 0u);
    EXPECT_EQ(gain.at(125, 50), 0u);

    // No gain at all: the red bar fills the whole window height.
    Meter full;
    full.draw(levels(0.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_NE(full.at(120, 219), 0u);
}
