// The limiter kernel against the plain frame-by-frame reading of its signal processing: every output
// sample, the meters and the gain follower must agree to the bit, whatever the settings, rate, block
// split, publishing state or input (silence, overs, absurd values).
#include <gtest/gtest.h>

#include <cstdio>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "limiter/Dither.h"
#include "limiter/LimiterKernel.h"
#include "limiter/RoundingMode.h"
#include "limiter/VectorPasses.h"
#include "tests/limiter/ReferenceLimiter.h"
#include "tests/support/LimiterRig.h"

using namespace TestSupport;
namespace P = LimiterParams;

namespace {

// Bursts over the threshold with quiet gaps, long enough to release to zero, and a few absurd samples.
Stereo testSignal(std::size_t frames)
{
    Stereo in(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        const double envelope = (i / 4000) % 3 == 2 ? 0.02 : 2.5 * std::exp(-double(i % 4000) / 900.0);
        in.left[i] = envelope * std::sin(t * 0.043) + 0.2 * std::sin(t * 0.7);
        in.right[i] = envelope * std::sin(t * 0.029 + 1.0);
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {1e300, -inf, std::numeric_limits<double>::quiet_NaN(), 4.9e-324, -0.0, inf};
    for (std::size_t k = 0; k < std::size(specials); ++k)
        in.left[frames - 3000 + 400 * k] = specials[k];
    return in;
}

LimiterSettings settingsOf(const ReferenceSettings& s, float rate)
{
    return LimiterSettings{s.threshold, s.release, s.makeup, s.meterScale, s.dither, rate};
}

// Takes every block unless told the editor holds its lock.
class HoldableSink final : public MeterSink {
public:
    bool offerMeters(const MeterBlock&) override { return !held; }
    bool held = false;
};

::testing::AssertionResult sameBits(const std::vector<double>& got, const std::vector<double>& want)
{
    for (std::size_t i = 0; i < want.size(); ++i)
        if (std::memcmp(&got[i], &want[i], sizeof(double)) != 0)
            return ::testing::AssertionFailure() << "frame " << i << ": " << got[i] << " instead of " << want[i];
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameMeters(const MeterBlock& got, const MeterBlock& want)
{
    const auto bits = [](const MeterBlock& m) {  // the fields, without the padding after the flag
        return std::vector<float>{m.outPeak[0], m.outPeak[1], m.outPower[0], m.outPower[1], m.minGain,
                                  m.peakHold[0], m.peakHold[1], m.wideScale ? 1.0f : 0.0f};
    };
    if (bits(got) == bits(want))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "peak " << got.outPeak[0] << "/" << want.outPeak[0] << " power "
                                         << got.outPower[1] << "/" << want.outPower[1] << " hold "
                                         << got.peakHold[0] << "/" << want.peakHold[0] << " min gain "
                                         << got.minGain << "/" << want.minGain;
}

struct Case {
    float rate;
    bool publishing;
    ReferenceSettings first, second;  // the second is set halfway through
};

}  // namespace

namespace {

// Runs one case through the kernel and the reference side by side, block after block.
void compareWithReference(const Case& c, const Stereo& in)
{
    const std::int32_t blocks[] = {1, 300, 17, 512, 4096, 5, 999, 64};
    auto kernel = std::make_unique<LimiterKernel>();
    HoldableSink sink;
    if (c.publishing)
        kernel->setMeterSink(&sink);
    kernel->setup(c.rate);
    kernel->reset();
    LimiterSettings settings = settingsOf(c.first, c.rate);
    bool changed = true;
    ReferenceLimiter reference(c.rate, c.publishing);
    reference.configure(c.first);
    Dither::restart(12345u);
    std::uint32_t seed = 12345u;

    Stereo want(in.frames());
    std::size_t at = 0;
    for (int k = 0; at < in.frames(); ++k) {
        const auto n = static_cast<std::int32_t>(std::min<std::size_t>(blocks[k % 8], in.frames() - at));
        if (k == 40) {
            settings = settingsOf(c.second, c.rate);
            changed = true;
            reference.configure(c.second);
        }
        // For a few blocks the editor holds the meter lock: publishing retries on every frame.
        const bool lockHeld = c.publishing && k >= 20 && k < 23;
        sink.held = lockHeld;
        Stereo part(n), got(n);
        std::copy_n(in.left.begin() + at, n, part.left.begin());
        std::copy_n(in.right.begin() + at, n, part.right.begin());
        const double* ins[2] = {part.left.data(), part.right.data()};
        double* outs[2] = {got.left.data(), got.right.data()};
        kernel->process(settings, changed, ins, outs, n);
        changed = false;
        {
            TowardZeroRounding rounding;
            for (std::int32_t i = 0; i < n; ++i)
                reference.frame(part.left[i], part.right[i], want.left[at + i], want.right[at + i], seed,
                                lockHeld);
        }
        ASSERT_TRUE(sameBits(got.left, {want.left.begin() + at, want.left.begin() + at + n})) << "block " << k;
        ASSERT_TRUE(sameBits(got.right, {want.right.begin() + at, want.right.begin() + at + n})) << "block " << k;
        ASSERT_TRUE(sameMeters(kernel->meters(), reference.meters)) << "after block " << k;
        ASSERT_EQ(kernel->currentGainLog(), reference.gainLog) << "after block " << k;
        at += n;
    }
}

}  // namespace

TEST(LimiterReference, EveryBitAgreesWithTheFrameByFrameDefinition)
{
    const Case cases[] = {
        {44100.0f, true, {0.7f, 0.5f, 0.6f, 0.0f, 0.0f}, {0.3f, 0.1f, 1.0f, 1.0f, 1.0f}},
        {48000.0f, false, {0.0f, 0.0f, 0.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 0.5f, 0.0f, 0.0f}},
        {22050.0f, true, {0.5f, 0.3f, 1.0f, 0.0f, 1.0f}, {0.5f, 0.9f, 0.0f, 1.0f, 0.0f}},
        {96000.0f, false, {0.9f, 0.2f, 0.8f, 0.0f, 0.0f}, {0.2f, 0.6f, 0.3f, 0.0f, 1.0f}},
        // A look-ahead of one frame, shorter than the main pass's chunks, and one of 384 frames, longer than
        // a stretch, so the delay lines move over themselves.
        {2000.0f, true, {0.6f, 0.0f, 0.5f, 0.0f, 0.0f}, {0.1f, 0.4f, 0.0f, 1.0f, 1.0f}},
        {768000.0f, true, {0.8f, 0.7f, 0.2f, 1.0f, 1.0f}, {0.4f, 0.0f, 1.0f, 0.0f, 0.0f}},
    };
    const Stereo in = testSignal(40000);
    // Pairs everywhere, then fours and eights where the processor has them: the same bits every way.
    for (const int lanes : {2, 4, 8}) {
        VectorPasses::allowFours(lanes >= 4);
        VectorPasses::allowEights(lanes >= 8);
        if (lanes > VectorPasses::widestLanes()) {
            std::printf("[ NOTE     ] %d lanes: this processor has no such width; not run\n", lanes);
            continue;
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << (c.publishing ? "publishing" : "no editor") << ", "
                                            << lanes << " lanes");
            compareWithReference(c, in);
        }
    }
    VectorPasses::allowFours(true);
    VectorPasses::allowEights(true);
}
