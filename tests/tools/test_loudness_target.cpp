// The threshold search against loudness curves shaped like a limiter's (monotonic, flattening as the
// limiting deepens), and the targets it cannot reach.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/render/LoudnessTarget.h"

using Render::searchThreshold;
using Render::TargetSearch;

namespace {

// Loudness at a normalized threshold with full make-up: `input` LUFS at 0 dB, rising by up to `gain` dB
// as the threshold falls, less and less as the peaks are eaten (the steeper `bend`, the sooner).
auto limiterCurve(double input, double gain, double bend)
{
    return [=](float t) -> std::optional<double> {
        const double down = 1.0 - t;
        return input + gain * (1.0 - std::exp(-bend * down)) / (1.0 - std::exp(-bend));
    };
}

}  // namespace

TEST(LoudnessTarget, MeetsReachableTargetsWithinATwentiethOfALuInAFewRenders)
{
    for (double bend : {0.5, 3.0, 8.0})
        for (double target : {-23.0, -14.0, -9.5}) {
            SCOPED_TRACE(testing::Message() << "bend " << bend << ", target " << target);
            TargetSearch search;
            search.targetLufs = target;
            const auto curve = limiterCurve(-26.0, 18.0, bend);
            const Render::TargetResult r = searchThreshold(search, curve);
            ASSERT_TRUE(r.reached) << r.reason;
            EXPECT_NEAR(*curve(r.threshold), target, 0.05);
            EXPECT_NEAR(r.loudnessLufs, target, 0.05);
            EXPECT_LE(r.passes, 10);
        }
}

TEST(LoudnessTarget, SaysWhyATargetIsOutOfReachAndGivesTheNearest)
{
    TargetSearch search;
    search.targetLufs = -30.0;  // quieter than the input left alone
    Render::TargetResult r = searchThreshold(search, limiterCurve(-20.0, 10.0, 2.0));
    EXPECT_FALSE(r.reached);
    EXPECT_EQ(r.threshold, 1.0f);
    EXPECT_NEAR(r.loudnessLufs, -20.0, 1e-9);
    EXPECT_NE(r.reason.find("already louder"), std::string::npos) << r.reason;

    search.targetLufs = -5.0;  // louder than -20 dB of threshold can make it
    r = searchThreshold(search, limiterCurve(-20.0, 10.0, 2.0));
    EXPECT_FALSE(r.reached);
    EXPECT_EQ(r.threshold, 0.0f);
    EXPECT_NEAR(r.loudnessLufs, -10.0, 1e-9);
    EXPECT_NE(r.reason.find("beyond reach"), std::string::npos) << r.reason;
    EXPECT_EQ(r.passes, 2);
}

TEST(LoudnessTarget, AFailedRenderEndsTheSearch)
{
    TargetSearch search;
    int calls = 0;
    const Render::TargetResult r = searchThreshold(search, [&](float) -> std::optional<double> {
        ++calls;
        return std::nullopt;
    });
    EXPECT_FALSE(r.reached);
    EXPECT_EQ(calls, 1);
}
