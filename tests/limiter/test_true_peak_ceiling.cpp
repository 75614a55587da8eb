// The true-peak ceiling stage, judged by meters of its own kind that share nothing with it: a 16-times
// oversampling reference with a long filter, and (natively) libebur128's true peak.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "limiter/InterSamplePeak.h"
#include "limiter/TruePeakCeiling.h"

#if TARN_HAVE_EBUR128
#include <ebur128.h>
#endif

namespace {

// M_PI is not standard C++: the Windows builds, strict, do not have it.
constexpr double pi = 3.14159265358979323846;

constexpr double rate = 44100.0;

struct Stereo {
    std::vector<double> left, right;
};

double dB(double linear) { return 20.0 * std::log10(linear); }

// The band-limited signal at 16 times the rate through a 128-tap (each side) Hann-windowed sinc: far
// finer than any detector in the stage, and a different design.
double referenceTruePeak(const std::vector<double>& x)
{
    constexpr int factor = 16, half = 128;
    std::vector<double> kernel(static_cast<std::size_t>(2 * half * factor + 1));
    for (int i = 0; i < static_cast<int>(kernel.size()); ++i) {
        const double t = static_cast<double>(i - half * factor) / factor;
        const double sinc = t == 0.0 ? 1.0 : std::sin(pi * t) / (pi * t);
        kernel[i] = sinc * 0.5 * (1.0 + std::cos(pi * t / half));
    }
    double peak = 0.0;
    const int n = static_cast<int>(x.size());
    for (int i = 0; i < n; ++i) {
        peak = std::max(peak, std::fabs(x[i]));
        for (int phase = 1; phase < factor; ++phase) {
            double sum = 0.0;
            for (int k = -half + 1; k <= half; ++k) {
                const int index = i + k;
                if (index >= 0 && index < n)
                    sum += x[index] * kernel[static_cast<std::size_t>((half - k) * factor + phase)];
            }
            peak = std::max(peak, std::fabs(sum));
        }
    }
    return peak;
}

#if TARN_HAVE_EBUR128
double libebur128TruePeak(const Stereo& s)
{
    ebur128_state* st = ebur128_init(2, static_cast<unsigned long>(rate), EBUR128_MODE_TRUE_PEAK);
    std::vector<double> frames(s.left.size() * 2);
    for (std::size_t i = 0; i < s.left.size(); ++i) {
        frames[2 * i] = s.left[i];
        frames[2 * i + 1] = s.right[i];
    }
    ebur128_add_frames_double(st, frames.data(), s.left.size());
    double peak = 0.0, channel = 0.0;
    for (unsigned c = 0; c < 2; ++c) {
        ebur128_true_peak(st, c, &channel);
        peak = std::max(peak, channel);
    }
    ebur128_destroy(&st);
    return peak;
}
#endif

struct Result {
    Stereo output;
    std::vector<double> gains;
    std::int32_t latency = 0;
    double smallestGain = 1.0;
};

// Runs the stage in blocks of `block` frames and flushes its latency with silence, so the output lines
// up with the input.
Result runStage(const Stereo& in, double ceilingDbtp, std::int32_t block = 512)
{
    TruePeakCeiling stage;
    EXPECT_TRUE(stage.setup(rate, ceilingDbtp));
    Result r;
    r.latency = stage.latency();
    const std::size_t total = in.left.size() + static_cast<std::size_t>(r.latency);
    Stereo padded = in;
    padded.left.resize(total, 0.0);
    padded.right.resize(total, 0.0);
    Stereo out{std::vector<double>(total), std::vector<double>(total)};
    std::vector<double> gains(total);
    for (std::size_t at = 0; at < total; at += static_cast<std::size_t>(block)) {
        const auto n = static_cast<std::int32_t>(std::min<std::size_t>(static_cast<std::size_t>(block), total - at));
        const double* ins[2] = {padded.left.data() + at, padded.right.data() + at};
        double* outs[2] = {out.left.data() + at, out.right.data() + at};
        stage.process(ins, outs, n, gains.data() + at);
    }
    r.output.left.assign(out.left.begin() + r.latency, out.left.end());
    r.output.right.assign(out.right.begin() + r.latency, out.right.end());
    r.gains.assign(gains.begin() + r.latency, gains.end());
    r.smallestGain = stage.smallestGain();
    return r;
}

Stereo tone(double frequency, double amplitude, double phase, double seconds = 0.5, bool faded = true)
{
    const auto n = static_cast<std::size_t>(seconds * rate);
    Stereo s{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        // Faded in and out over 10 ms: an abrupt start is a click, whose peak is not the tone's.
        const double edge = std::min(static_cast<double>(std::min(i, n - 1 - i)) / (0.01 * rate), 1.0);
        const double fade = faded ? 0.5 - 0.5 * std::cos(pi * edge) : 1.0;
        s.left[i] = fade * amplitude * std::sin(2.0 * pi * frequency * static_cast<double>(i) / rate + phase);
        s.right[i] = 0.5 * s.left[i];
    }
    return s;
}

Stereo whiteNoise(double amplitude, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    Stereo s{std::vector<double>(22050), std::vector<double>(22050)};
    for (std::size_t i = 0; i < s.left.size(); ++i) {
        s.left[i] = uniform(generator);
        s.right[i] = uniform(generator);
    }
    return s;
}

// Noise falling 3 dB an octave, like music's long-term spectrum (Kellet's filter on white noise), scaled
// to the given sample peak.
Stereo pinkNoise(double peak, unsigned seed)
{
    Stereo s = whiteNoise(1.0, seed);
    for (auto* channel : {&s.left, &s.right}) {
        double b0 = 0, b1 = 0, b2 = 0, largest = 0;
        for (double& x : *channel) {
            b0 = 0.99765 * b0 + x * 0.0990460;
            b1 = 0.96300 * b1 + x * 0.2965164;
            b2 = 0.57000 * b2 + x * 1.0526913;
            x = b0 + b1 + b2 + x * 0.1848;
            largest = std::max(largest, std::fabs(x));
        }
        for (double& x : *channel)
            x *= peak / largest;
    }
    return s;
}

Stereo square(double frequency, double amplitude)
{
    Stereo s = tone(frequency, 1.0, 0.0);
    for (std::size_t i = 0; i < s.left.size(); ++i)
        s.left[i] = s.right[i] = s.left[i] >= 0.0 ? amplitude : -amplitude;
    return s;
}

// The level of everything but the fundamental, against the fundamental, after the start has settled.
double distortionDb(const std::vector<double>& x, double frequency, std::size_t skip)
{
    double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0;
    for (std::size_t i = skip; i < x.size(); ++i) {
        const double w = 2.0 * pi * frequency * static_cast<double>(i) / rate;
        const double s = std::sin(w), c = std::cos(w);
        ss += s * s, sc += s * c, cc += c * c, xs += x[i] * s, xc += x[i] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
    double fundamental = 0, residual = 0;
    for (std::size_t i = skip; i < x.size(); ++i) {
        const double w = 2.0 * pi * frequency * static_cast<double>(i) / rate;
        const double fit = a * std::sin(w) + b * std::cos(w);
        fundamental += fit * fit;
        residual += (x[i] - fit) * (x[i] - fit);
    }
    return 10.0 * std::log10(residual / fundamental);
}

}  // namespace

// Signals whose true peak lies well over their sample peak, or over the ceiling everywhere: the stage's
// output stays under the ceiling by two meters that share nothing with its detector.
TEST(TruePeakCeiling, KeepsTheTruePeakUnderTheCeiling)
{
    constexpr double ceiling = -1.0;
    const struct {
        const char* name;
        Stereo signal;
    } cases[] = {
        {"pink noise", pinkNoise(1.2, 7)},
        {"a tone at a quarter of the rate between its samples", tone(rate / 4, 1.3, pi / 4)},
        {"a tone at 20 kHz", tone(20000.0, 1.2, 0.3)},
        {"a tone at 997 Hz", tone(997.0, 1.5, 0.0)},
        {"a square wave", square(441.0, 0.95)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = runStage(c.signal, ceiling);
        EXPECT_LT(r.smallestGain, 1.0);
        const double reference = std::max(referenceTruePeak(r.output.left), referenceTruePeak(r.output.right));
        EXPECT_LE(dB(reference), ceiling + 0.1);
#if TARN_HAVE_EBUR128
        EXPECT_LE(dB(libebur128TruePeak(r.output)), ceiling);
#endif
    }
}

#if TARN_HAVE_EBUR128
// Full-band white noise: its inter-sample peaks depend on how a meter rebuilds the top of the band (the
// 16-times reference reads it higher the longer its filter), so here the stage is held to the loudness
// standard's own four-times meter.
TEST(TruePeakCeiling, KeepsWhiteNoiseUnderTheCeilingAsTheLoudnessMeterReadsIt)
{
    for (unsigned seed : {7u, 8u, 9u}) {
        const Result r = runStage(whiteNoise(1.0, seed), -1.0);
        EXPECT_LE(dB(libebur128TruePeak(r.output)), -1.0) << seed;
    }
}
#endif

// The detector gives the same bits at every vector width the processor offers, from a fresh start (whose
// first stretches are read twice) on: a render does not depend on the machine it ran on.
TEST(InterSamplePeak, EveryVectorWidthGivesTheSameBits)
{
    const Stereo in = whiteNoise(1.3, 21);
    std::vector<std::vector<double>> byWidth;
    for (int floats : {4, 8, 16}) {
        InterSamplePeak::limitWidth(floats);
        if (InterSamplePeak::width() != floats)
            break;
        InterSamplePeak detector;
        std::vector<double> peaks(in.left.size());
        for (std::size_t at = 0; at < in.left.size(); at += 100) {
            const int n = static_cast<int>(std::min<std::size_t>(100, in.left.size() - at));
            detector.process(in.left.data() + at, in.right.data() + at, n, peaks.data() + at);
        }
        byWidth.push_back(peaks);
    }
    InterSamplePeak::limitWidth(16);
    if (byWidth.size() < 2)
        GTEST_SKIP() << "this processor or build offers only the four-float sums";
    for (std::size_t w = 1; w < byWidth.size(); ++w)
        EXPECT_EQ(byWidth[w], byWidth[0]) << (4 << w) << " floats";
}

// The stage only scales: every output frame is its input frame times a gain in (0, 1], the gain the stage
// reports; nothing is clipped or reshaped, whatever the block size.
TEST(TruePeakCeiling, OnlyScalesTheDelayedSignal)
{
    const Stereo in = whiteNoise(1.4, 11);
    const Result whole = runStage(in, -1.0, 4096);
    for (std::int32_t block : {1, 7, 512}) {
        const Result split = runStage(in, -1.0, block);
        EXPECT_EQ(split.output.left, whole.output.left) << block;
        EXPECT_EQ(split.output.right, whole.output.right) << block;
    }
    for (std::size_t i = 0; i < in.left.size(); ++i) {
        const double g = whole.gains[i];
        ASSERT_GT(g, 0.0);
        ASSERT_LE(g, 1.0);
        ASSERT_EQ(whole.output.left[i], g == 1.0 ? in.left[i] : in.left[i] * g) << i;
        ASSERT_EQ(whole.output.right[i], g == 1.0 ? in.right[i] : in.right[i] * g) << i;
    }
}

// Under the ceiling, the signal comes out exactly as it went in, only late by the latency; after a loud
// passage the gain comes back to exactly 1.
TEST(TruePeakCeiling, PassesASignalUnderTheCeilingBitForBit)
{
    const Stereo quiet = tone(997.0, 0.5, 0.1, 1.0);
    const Result r = runStage(quiet, -1.0);
    EXPECT_EQ(r.output.left, quiet.left);
    EXPECT_EQ(r.output.right, quiet.right);
    EXPECT_EQ(r.smallestGain, 1.0);

    Stereo burstThenQuiet = tone(997.0, 0.5, 0.1, 2.0);
    for (std::size_t i = 4410; i < 8820; ++i)
        burstThenQuiet.left[i] *= 3.0;
    const Result after = runStage(burstThenQuiet, -1.0);
    EXPECT_LT(after.smallestGain, 0.7);
    const std::size_t settled = 8820 + static_cast<std::size_t>(1.5 * rate);  // the release has ended
    for (std::size_t i = settled; i < burstThenQuiet.left.size(); ++i)
        ASSERT_EQ(after.output.left[i], burstThenQuiet.left[i]) << i;
}

// A loud tone held under the ceiling keeps its shape: what the gain's movement adds stays far below it.
TEST(TruePeakCeiling, AddsLittleDistortionToLoudTones)
{
    for (double frequency : {50.0, 997.0}) {
        SCOPED_TRACE(frequency);
        const Stereo in = tone(frequency, 1.6, 0.0, 2.0, false);
        const Result r = runStage(in, -1.0);
        EXPECT_LT(distortionDb(r.output.left, frequency, static_cast<std::size_t>(rate / 2)), -60.0);
    }
}

TEST(TruePeakCeiling, RefusesSettingsItCannotWorkWith)
{
    TruePeakCeiling stage;
    EXPECT_FALSE(stage.setup(0.0, -1.0));
    EXPECT_FALSE(stage.setup(std::nan(""), -1.0));
    EXPECT_FALSE(stage.setup(rate, std::nan("")));
    EXPECT_FALSE(stage.setup(rate, 20.0));
    EXPECT_FALSE(stage.setup(rate, -1.0, 2.0));  // nothing left under the ceiling
    EXPECT_TRUE(stage.setup(rate, -1.0, 1e-4));
    EXPECT_GT(stage.latency(), 0);
}
