// The look-ahead limiter's signal processing, checked against its defining behaviour.
#include <gtest/gtest.h>

#include <cmath>

#include "limiter/RoundingMode.h"
#include "tests/limiter/TestLimiters.h"
#include "tests/support/LimiterRig.h"

using namespace TestSupport;
namespace P = LimiterParams;

namespace {

constexpr double dither24Reach = 1.0 / 4194304.0;  // 2^-22
constexpr double dither16Reach = 1.0 / 16384.0;    // 2^-14

double threshold(float t) { return std::pow(10.0, t - 1.0); }

// The noise the dither adds to one sample, computed as the limiter does.
double ditherNoise(std::uint32_t& seed, double amplitude)
{
    const auto q1 = static_cast<std::int32_t>(Dither::next(seed));
    const auto q2 = static_cast<std::int32_t>(Dither::next(seed));
    return amplitude * (q1 * Dither::unit + q2 * Dither::unit);
}

}  // namespace

TEST(LimiterDsp, BeforeSetupNothingIsWritten)
{
    std::unique_ptr<Limiter> limiter(new Limiter(nullptr));
    double inL[4] = {1, 1, 1, 1}, inR[4] = {1, 1, 1, 1}, outL[4] = {7, 7, 7, 7}, outR[4] = {7, 7, 7, 7};
    double* in[2] = {inL, inR};
    double* out[2] = {outL, outR};
    const PlugCore::TransportInfo info{120, 0, 0, 44100};
    EXPECT_TRUE(limiter->processBlock(true, info, in, out, 4));
    EXPECT_EQ(outL[3], 7.0);
    EXPECT_EQ(outR[0], 7.0);
}

TEST(LimiterDsp, ImpulseLeavesAfterTheLookAheadScaledByMakeup)
{
    for (const auto& [rate, latency] : {std::pair<float, int>{44100.0f, 22}, {48000.0f, 24}}) {
        LimiterRig rig(rate);
        rig.set(P::threshold, 0.5f).set(P::makeup, 1.0f).start();
        Stereo in(200);
        in.left[10] = 0.1;  // -20 dBFS, below the -10 dB threshold
        in.right[10] = -0.05;
        const Stereo out = rig.run(in, 64);
        const double makeup = std::pow(10.0, 0.5);
        for (std::size_t i = 0; i < out.frames(); ++i) {
            const double wantL = i == 10u + latency ? 0.1 * makeup : 0.0;
            const double wantR = i == 10u + latency ? -0.05 * makeup : 0.0;
            ASSERT_NEAR(out.left[i], wantL, dither24Reach) << rate << " frame " << i;
            ASSERT_NEAR(out.right[i], wantR, dither24Reach) << rate << " frame " << i;
        }
    }
}

TEST(LimiterDsp, BelowThresholdTheGainIsExactlyMakeup)
{
    LimiterRig rig;
    rig.set(P::threshold, 0.5f).set(P::makeup, 0.0f).set(P::dither, 0.0f).start();
    Stereo in(3000);
    for (std::size_t i = 0; i < in.frames(); ++i) {
        in.left[i] = 0.3 * std::sin(i * 0.01);
        in.right[i] = -0.25 * std::cos(i * 0.013);
    }
    Dither::restart(12345u);
    const Stereo out = rig.run(in, 512);
    EXPECT_EQ(rig.limiter->currentGainLog(), 0.0);

    std::uint32_t seed = 12345u;
    TowardZeroRounding rounding;
    for (std::size_t i = 0; i < in.frames(); ++i) {
        const double dL = i >= 22 ? in.left[i - 22] : 0.0;
        const double dR = i >= 22 ? in.right[i - 22] : 0.0;
        const double wantL = dL + ditherNoise(seed, Dither::amplitude16);
        const double wantR = dR + ditherNoise(seed, Dither::amplitude16);
        ASSERT_EQ(out.left[i], wantL) << i;
        ASSERT_EQ(out.right[i], wantR) << i;
    }
}

TEST(LimiterDsp, SixDecibelStepIsMetWithFullReduction)
{
    LimiterRig rig(44100.0f, 1);
    rig.set(P::threshold, 0.5f).start();
    const double level = 2.0 * threshold(0.5f);
    const int stepAt = 100, L = 22;
    Stereo in(stepAt + 2000);
    for (std::size_t i = stepAt; i < in.frames(); ++i)
        in.left[i] = in.right[i] = (i % 2 ? level : -level);

    const double target = std::log(2.0) * std::exp(L / (2.0 * 4410.0));  // ln 2 x releaseComp
    double peak = 0.0;
    for (std::size_t i = 0; i < in.frames(); ++i) {
        Stereo one(1);
        one.left[0] = in.left[i];
        one.right[0] = in.right[i];
        const Stereo out = rig.run(one, 1);
        peak = std::max(peak, std::fabs(out.left[0]));
        const double g = rig.limiter->currentGainLog();
        if (i == static_cast<std::size_t>(stepAt + L - 1)) {
            EXPECT_NEAR(g, target, 3e-6);
        }
        if (i >= static_cast<std::size_t>(stepAt + L) && i < static_cast<std::size_t>(stepAt + L + 50)) {
            ASSERT_NEAR(g, target, 1e-12) << i;  // held while the step lasts
        }
    }
    EXPECT_LE(peak, 0.998271 * threshold(0.5f) + dither24Reach);  // 2^(1 - releaseComp) = 0.99827
    EXPECT_GT(peak, 0.998 * threshold(0.5f));
}

TEST(LimiterDsp, MakeupSetsTheCeiling)
{
    Stereo loud(20000);
    for (std::size_t i = 0; i < loud.frames(); ++i)
        loud.left[i] = loud.right[i] = 3.0 * std::sin(i * 0.05);
    for (float t : {0.2f, 0.6f, 1.0f}) {
        for (float makeup : {0.0f, 1.0f}) {
            LimiterRig rig;
            rig.set(P::threshold, t).set(P::makeup, makeup).start();
            const Stereo out = rig.run(loud, 512);
            double peak = 0.0;
            for (std::size_t i = 2000; i < out.frames(); ++i)
                peak = std::max(peak, std::fabs(out.left[i]));
            const double ceiling = makeup == 1.0f ? 1.0 : threshold(t);
            EXPECT_LE(peak, ceiling + dither24Reach) << t << " " << makeup;
            EXPECT_GT(peak, 0.99 * ceiling) << t << " " << makeup;
        }
    }
}

TEST(LimiterDsp, SilenceGivesPureTriangularDither)
{
    for (const auto& [setting, reach] : {std::pair<float, double>{0.0f, dither16Reach}, {1.0f, dither24Reach}}) {
        LimiterRig rig;
        rig.set(P::dither, setting).start();
        const Stereo out = rig.run(Stereo(20000), 1000);
        double low = 0.0, high = 0.0, sum = 0.0;
        for (std::size_t i = 0; i < out.frames(); ++i) {
            ASSERT_GE(out.left[i], -reach);
            ASSERT_LT(out.left[i], reach);
            low = std::min(low, out.left[i]);
            high = std::max(high, out.left[i]);
            sum += std::fabs(out.left[i]);
        }
        EXPECT_LT(low, -0.9 * reach);  // the noise spans its range
        EXPECT_GT(high, 0.9 * reach);
        EXPECT_NEAR(sum / out.frames(), reach / 3.0, reach * 0.02);  // mean |x| of a triangle is a third
    }
}

TEST(LimiterDsp, GeneratorStartsWithTheKnownStates)
{
    std::uint32_t seed = 0;
    EXPECT_EQ(Dither::next(seed), 1013904223u);
    EXPECT_EQ(Dither::next(seed), 1196435762u);
    EXPECT_EQ(Dither::next(seed), 3519870697u);
    EXPECT_EQ(Dither::next(seed), 2868466484u);
    for (std::uint32_t steps : {0u, 1u, 2u, 7u, 1000u, 65536u}) {
        std::uint32_t walked = 99u;
        for (std::uint32_t i = 0; i < steps; ++i)
            Dither::next(walked);
        EXPECT_EQ(Dither::jump(99u, steps), walked) << steps;
    }
}

TEST(LimiterDsp, BlockSplitsDoNotChangeTheOutput)
{
    Stereo in(20000);
    for (std::size_t i = 0; i < in.frames(); ++i) {
        in.left[i] = 2.5 * std::sin(i * 0.031) * std::exp(-double(i % 5000) / 1500.0);
        in.right[i] = 1.7 * std::sin(i * 0.017 + 1.0);
    }
    Stereo reference;
    for (VstInt32 block : {1, 7, 64, 4096}) {
        LimiterRig rig;
        rig.set(P::threshold, 0.3f).set(P::release, 0.1f).start();
        Dither::restart(777u);
        const Stereo out = rig.run(in, block);
        if (reference.frames() == 0) {
            reference = out;
            continue;
        }
        EXPECT_EQ(out.left, reference.left) << "blocks of " << block;
        EXPECT_EQ(out.right, reference.right) << "blocks of " << block;
    }
}

TEST(LimiterDsp, InputsAndOutputsMayBeTheSameBuffers)
{
    Stereo in(5000);
    for (std::size_t i = 0; i < in.frames(); ++i)
        in.left[i] = in.right[i] = 1.5 * std::sin(i * 0.02);
    LimiterRig apart, inPlace;
    apart.start();
    inPlace.start();
    Dither::restart(5u);
    const Stereo expected = apart.run(in, 256);
    Dither::restart(5u);
    Stereo buffer = in;
    for (std::size_t at = 0; at < buffer.frames(); at += 256) {
        const auto n = static_cast<VstInt32>(std::min<std::size_t>(256, buffer.frames() - at));
        double* io[2] = {buffer.left.data() + at, buffer.right.data() + at};
        inPlace.limiter->processDoubleReplacing(io, io, n);
    }
    EXPECT_EQ(buffer.left, expected.left);
}

TEST(LimiterDsp, MetersArePublishedEvery20MillisecondsAcrossBlocks)
{
    auto* metered = new MeteredLimiter;
    LimiterRig rig(48000.0f, 960, metered);
    rig.start();
    MeterBlock taken;
    metered->mailbox->takeMeters(&taken);  // the first take opens the mailbox for published blocks

    const VstInt32 blocks[] = {1, 7, 64, 500, 960, 333};
    std::size_t done = 0;
    int publishes = 0;
    for (int round = 0; round < 60; ++round) {
        const VstInt32 n = blocks[round % 6];
        rig.run(Stereo(n, 0.5), n);
        const std::size_t before = done;
        done += n;
        const bool expected = done / 960 != before / 960;
        ASSERT_EQ(metered->mailbox->takeMeters(&taken), expected) << "after frame " << done;
        if (expected) {
            ++publishes;
            EXPECT_NEAR(taken.outPeak[0], 0.5, dither24Reach);
            EXPECT_EQ(taken.minGain, 1.0f);
        }
    }
    EXPECT_GT(publishes, 10);
}

TEST(LimiterDsp, WithoutAnEditorMetersKeepGatheringWithoutDecay)
{
    LimiterRig rig(44100.0f, 4096, new BareLimiter);
    rig.start();
    Stereo burst(100, 0.8);
    rig.run(burst, 100);
    rig.run(Stereo(44100), 1000);
    EXPECT_NEAR(rig.limiter->meters().outPeak[0], 0.8, dither24Reach);
    EXPECT_NEAR(rig.limiter->meters().peakHold[1], 0.8, dither24Reach);
}
