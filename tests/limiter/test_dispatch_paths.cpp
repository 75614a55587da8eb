// The limiter's vector passes are chosen at run time: eight lanes (AVX-512), four (AVX2) or the SSE2
// pairs every x86 processor has. Each path the processor offers must give what the pairs give, bit for
// bit: the kernel's output, meters and gain, and the plug-in's single- and double-precision calls, on
// the same signals, settings and block splits. A path the processor lacks is skipped, and says so.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "limiter/Dither.h"
#include "limiter/LimiterKernel.h"
#include "limiter/LimiterParams.h"
#include "limiter/VectorPasses.h"
#include "tests/limiter/TestLimiters.h"
#include "tests/support/LimiterRig.h"

using namespace TestSupport;

namespace {

// Keeps the vector passes to at most `lanes` lanes for a scope, then offers every width again.
class LanesAtMost {
public:
    explicit LanesAtMost(int lanes)
    {
        VectorPasses::allowFours(lanes >= 4);
        VectorPasses::allowEights(lanes >= 8);
    }
    ~LanesAtMost()
    {
        VectorPasses::allowFours(true);
        VectorPasses::allowEights(true);
    }
    LanesAtMost(const LanesAtMost&) = delete;
    LanesAtMost& operator=(const LanesAtMost&) = delete;
};

std::string pathName(int lanes)
{
    return lanes == 8 ? "eight lanes (AVX-512 F and DQ)" : lanes == 4 ? "four lanes (AVX2)" : "pairs (SSE2)";
}

// Loud sines far over the threshold, brown noise swelling in and out, near-silence long enough for the
// follower to flush to zero, and absurd samples (NaN, infinities, subnormals, huge values).
Stereo signal(std::size_t frames)
{
    Stereo in(frames);
    std::mt19937 random(5);
    std::normal_distribution<double> white(0.0, 0.05);
    double brown = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        brown = 0.995 * brown + white(random);
        const double swell = 1.5 + std::sin(t * 0.0007);
        switch ((i / 6000) % 4) {
        case 0:
            in.left[i] = 1.8 * std::sin(t * 0.0123) + 0.3 * std::sin(t * 0.31);
            in.right[i] = 1.6 * std::sin(t * 0.0117 + 1.0) + 0.3 * std::sin(t * 0.29);
            break;
        case 1:
            in.left[i] = swell * brown;
            in.right[i] = -0.7 * swell * brown + white(random);
            break;
        case 2:
            in.left[i] = 1e-9 * white(random);
            in.right[i] = 0.0;
            break;
        default:
            in.left[i] = 4.0 * white(random);
            in.right[i] = 3.0 * std::sin(t * 0.05);
            break;
        }
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 4.9e-324, 1e300, -0.0};
    for (std::size_t k = 0; k < std::size(specials); ++k) {
        in.left[frames - 2000 + 300 * k] = specials[k];
        in.right[frames - 1900 + 300 * k] = specials[k];
    }
    return in;
}

// Takes every publish, so the meters move as an open editor sees them.
class TakingSink final : public MeterSink {
public:
    bool offerMeters(const MeterBlock& block) override
    {
        published.push_back(block);
        return true;
    }
    std::vector<MeterBlock> published;
};

struct KernelRun {
    Stereo out;
    std::vector<MeterBlock> meters;
    std::vector<double> gainLogs;  // after each block
};

// The kernel alone over the signal in blocks of changing length, its settings changed after 40 blocks.
KernelRun runKernel(const Stereo& in, float rate)
{
    const std::int32_t blocks[] = {512, 1, 300, 17, 4096, 5, 999, 64, 256, 7};
    const LimiterSettings first{0.7f, 0.5f, 0.0f, 0.0f, 1.0f, rate}, second{0.2f, 0.05f, 1.0f, 1.0f, 0.0f, rate};
    auto kernel = std::make_unique<LimiterKernel>();
    TakingSink sink;
    kernel->setMeterSink(&sink);
    kernel->setup(rate);
    kernel->reset();
    Dither::restart(777u);
    KernelRun run{Stereo(in.frames()), {}, {}};
    bool changed = true;
    std::size_t at = 0;
    for (int k = 0; at < in.frames(); ++k) {
        const auto n = static_cast<std::int32_t>(std::min<std::size_t>(blocks[k % 10], in.frames() - at));
        changed = changed || k == 40;
        const double* ins[2] = {in.left.data() + at, in.right.data() + at};
        double* outs[2] = {run.out.left.data() + at, run.out.right.data() + at};
        kernel->process(k < 40 ? first : second, changed, ins, outs, n);
        changed = false;
        run.gainLogs.push_back(kernel->currentGainLog());
        at += n;
    }
    run.meters = sink.published;
    return run;
}

::testing::AssertionResult sameBits(const std::vector<double>& got, const std::vector<double>& want)
{
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << got.size() << " values instead of " << want.size();
    for (std::size_t i = 0; i < want.size(); ++i)
        if (std::memcmp(&got[i], &want[i], sizeof(double)) != 0)
            return ::testing::AssertionFailure() << "at " << i << ": " << got[i] << " instead of " << want[i];
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameBits(const std::vector<float>& got, const std::vector<float>& want)
{
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << got.size() << " values instead of " << want.size();
    for (std::size_t i = 0; i < want.size(); ++i)
        if (std::memcmp(&got[i], &want[i], sizeof(float)) != 0)
            return ::testing::AssertionFailure() << "at " << i << ": " << got[i] << " instead of " << want[i];
    return ::testing::AssertionSuccess();
}

std::vector<float> meterValues(const std::vector<MeterBlock>& blocks)
{
    std::vector<float> values;
    for (const MeterBlock& m : blocks)
        values.insert(values.end(), {m.outPeak[0], m.outPeak[1], m.outPower[0], m.outPower[1], m.minGain, m.peakHold[0],
                                     m.peakHold[1], m.wideScale ? 1.0f : 0.0f});
    return values;
}

struct PluginRun {
    std::vector<float> single[2];
    Stereo twice;
};

// The whole plug-in through its single- and double-precision calls on the same samples (the signal
// rounded to single precision), in host blocks of changing length with a parameter moved between blocks,
// the host running in the given rounding mode. The single-precision call runs in place.
PluginRun runPlugin(const Stereo& signal, int hostRounding = FE_TONEAREST)
{
    const VstInt32 blocks[] = {512, 3, 128, 1024, 77};
    const auto frames = signal.frames();
    PluginRun run{{std::vector<float>(signal.left.begin(), signal.left.end()),
                   std::vector<float>(signal.right.begin(), signal.right.end())},
                  Stereo(frames)};
    const Stereo in = [&] {
        Stereo widened(frames);
        std::copy(run.single[0].begin(), run.single[0].end(), widened.left.begin());
        std::copy(run.single[1].begin(), run.single[1].end(), widened.right.begin());
        return widened;
    }();
    const int previous = std::fegetround();
    std::fesetround(hostRounding);
    for (const bool doubles : {false, true}) {
        auto limiter = std::make_unique<MeteredLimiter>();
        limiter->setSampleRate(48000.0f);
        limiter->setBlockSize(1024);
        limiter->setParameter(LimiterParams::threshold, 0.6f);
        limiter->resume();
        Dither::restart(4242u);
        std::size_t at = 0;
        for (int k = 0; at < frames; ++k) {
            const auto n = static_cast<VstInt32>(std::min<std::size_t>(blocks[k % 5], frames - at));
            if (k == 30)
                limiter->setParameter(LimiterParams::release, 0.9f);
            if (doubles) {
                double* ins[2] = {const_cast<double*>(in.left.data()) + at, const_cast<double*>(in.right.data()) + at};
                double* outs[2] = {run.twice.left.data() + at, run.twice.right.data() + at};
                limiter->processDoubleReplacing(ins, outs, n);
            } else {
                float* buffers[2] = {run.single[0].data() + at, run.single[1].data() + at};
                limiter->processReplacing(buffers, buffers, n);
            }
            at += n;
        }
    }
    std::fesetround(previous);
    return run;
}

// The double-precision output as the host would narrow it, in its rounding mode.
std::vector<float> narrowed(const std::vector<double>& values, int hostRounding)
{
    std::vector<float> out(values.size());
    const int previous = std::fegetround();
    std::fesetround(hostRounding);
    for (std::size_t i = 0; i < values.size(); ++i)
        out[i] = static_cast<float>(values[i]);
    std::fesetround(previous);
    return out;
}

class DispatchPaths : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        if (GetParam() > VectorPasses::widestLanes())
            GTEST_SKIP() << pathName(GetParam()) << ": not offered here (this processor or this build lacks it), "
                         << "so that path is not run; the widest here is " << pathName(VectorPasses::widestLanes());
    }
};

}  // namespace

TEST_P(DispatchPaths, KernelGivesThePairsBitsAtEveryRate)
{
    const Stereo in = signal(60000);
    // A look-ahead of one frame, of 22 and of 384 (longer than a stretch of the kernel's passes).
    for (const float rate : {2000.0f, 44100.0f, 768000.0f}) {
        SCOPED_TRACE(testing::Message() << rate << " Hz, " << pathName(GetParam()));
        KernelRun pairs, wide;
        {
            LanesAtMost only(2);
            pairs = runKernel(in, rate);
        }
        {
            LanesAtMost only(GetParam());
            wide = runKernel(in, rate);
        }
        EXPECT_TRUE(sameBits(wide.out.left, pairs.out.left)) << "left";
        EXPECT_TRUE(sameBits(wide.out.right, pairs.out.right)) << "right";
        EXPECT_TRUE(sameBits(meterValues(wide.meters), meterValues(pairs.meters))) << "meters";
        EXPECT_TRUE(sameBits(wide.gainLogs, pairs.gainLogs)) << "gain";
        EXPECT_GE(pairs.meters.size(), 3u);  // publishes every 20 ms: the meters were compared
    }
}

TEST_P(DispatchPaths, PluginCallsGiveThePairsBits)
{
    const Stereo in = signal(40000);
    PluginRun pairs, wide;
    {
        LanesAtMost only(2);
        pairs = runPlugin(in);
    }
    {
        LanesAtMost only(GetParam());
        wide = runPlugin(in);
    }
    EXPECT_TRUE(sameBits(wide.single[0], pairs.single[0])) << "processReplacing, left";
    EXPECT_TRUE(sameBits(wide.single[1], pairs.single[1])) << "processReplacing, right";
    EXPECT_TRUE(sameBits(wide.twice.left, pairs.twice.left)) << "processDoubleReplacing, left";
    EXPECT_TRUE(sameBits(wide.twice.right, pairs.twice.right)) << "processDoubleReplacing, right";
}

INSTANTIATE_TEST_SUITE_P(Widths, DispatchPaths, ::testing::Values(4, 8), [](const ::testing::TestParamInfo<int>& info) {
    return info.param == 8 ? std::string("EightLanes") : std::string("FourLanes");
});

TEST(DispatchPaths, SingleCallIsTheDoubleCallNarrowedInTheHostsRoundingMode)
{
    // The single-precision call goes through the kernel without conversion buffers; it must sound as
    // widening, the double-precision call and narrowing in the host's mode would, on every path.
    const Stereo in = signal(30000);
    const std::pair<int, const char*> modes[] = {
        {FE_TONEAREST, "to nearest"}, {FE_UPWARD, "upward"}, {FE_DOWNWARD, "downward"}, {FE_TOWARDZERO, "toward zero"}};
    for (const int lanes : {2, 4, 8}) {
        if (lanes > VectorPasses::widestLanes()) {
            std::printf("[ NOTE     ] %s: not offered here, not run\n", pathName(lanes).c_str());
            continue;
        }
        LanesAtMost only(lanes);
        for (const auto& [mode, name] : modes) {
            SCOPED_TRACE(testing::Message() << pathName(lanes) << ", host rounding " << name);
            const PluginRun run = runPlugin(in, mode);
            EXPECT_TRUE(sameBits(run.single[0], narrowed(run.twice.left, mode))) << "left";
            EXPECT_TRUE(sameBits(run.single[1], narrowed(run.twice.right, mode))) << "right";
        }
    }
}
