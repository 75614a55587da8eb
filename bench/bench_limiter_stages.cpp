// The limiter kernel's stages one by one on the signal of LimiterKernelProcess (512-frame blocks, 44.1 kHz,
// -6 dB), so a run shows where the whole kernel's time goes: the level logarithms, the gain follower's
// recurrence alone (the serial floor: one frame cannot start before the one before it ends), the meters'
// power smoothing alone (the second recurrence), the gains' exponentials, the main pass that runs the
// last three together with the delay and clip, the dither noise, and the output with the meters'
// extremes. Each is timed per stereo frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "bench/BenchSignal.h"
#include "limiter/GainFollower.h"
#include "limiter/Lanes.h"
#include "limiter/RoundingMode.h"
#include "limiter/VectorPasses.h"

namespace {

constexpr int blockFrames = 512;
constexpr int signalBlocks = 64;
constexpr int lookahead = 22;  // 0.5 ms at 44.1 kHz

// The kernel's coefficients at -6 dB and the default release of 100 ms, and every stage's input for the
// whole signal, computed once.
struct StageData {
    double inputGain = std::pow(10.0, 0.3);
    double release = 1.0 - std::exp(-1.0 / 4410.0);
    double attack = 1.0 - std::exp(-1.0 / lookahead);
    double compensation = 1.0 / std::sqrt(std::pow(1.0 - release, lookahead));
    double powerCoeff = static_cast<float>(1.0 - std::exp(-1.0 / (44100.0 * 0.03)));
    std::vector<double> left, right, levels, reductions, history;

    StageData()
    {
        TowardZeroRounding rounding;
        std::vector<float> l(blockFrames * signalBlocks), r(l.size());
        fillLimitedSignal(l, r);
        left.assign(l.begin(), l.end());
        right.assign(r.begin(), r.end());
        levels.resize(left.size());
        VectorPasses::levelLogs(left.data(), right.data(), levels.data(), static_cast<int>(left.size()), inputGain,
                                compensation);
        history.assign(left.size() + lookahead, 0.0);
        GainFollower::State state;
        for (std::size_t i = 0; i < levels.size(); ++i)
            history[i + lookahead] = GainFollower::step(state, levels[i], history[i], release, attack);
        reductions.assign(history.begin() + lookahead, history.end());
    }
};

const StageData& data()
{
    static const StageData d;
    return d;
}

void perFrame(benchmark::State& state)
{
    state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The follower's recurrence with everything else removed: it reads the level logarithms and its own
// history and writes the smoothed reduction, frame after frame.
__attribute__((noinline)) GainFollower::State followAlone(GainFollower::State state, const double* levels,
                                                          double* history, int frames, double release, double attack)
{
    for (int i = 0; i < frames; ++i)
        history[i + lookahead] = GainFollower::step(state, levels[i], history[i], release, attack);
    return state;
}

// The meters' power smoothing alone, on frames already clipped.
__attribute__((noinline)) Lanes::Pair powerAlone(Lanes::Pair power, const double* shaped, double* out, int frames,
                                                 double coeff)
{
    const Lanes::Pair c = Lanes::splat(coeff);
    for (int i = 0; i < frames; ++i) {
        Lanes::Pair v;
        std::memcpy(&v, shaped + 2 * i, sizeof v);
        power = Lanes::flushedToFloat(power + c * (v * v - power), GainFollower::flushLimit);
        std::memcpy(out + 2 * i, &power, sizeof power);
    }
    return power;
}

}  // namespace

void LimiterFollowerAlone(benchmark::State& state)
{
    const StageData& d = data();
    TowardZeroRounding rounding;
    std::vector<double> history(blockFrames + lookahead, 0.0);
    GainFollower::State follower;
    std::size_t block = 0;
    for (auto _ : state) {
        follower = followAlone(follower, d.levels.data() + block * blockFrames, history.data(), blockFrames, d.release,
                               d.attack);
        std::memcpy(history.data(), history.data() + blockFrames, lookahead * sizeof(double));
        block = (block + 1) % signalBlocks;
    }
    perFrame(state);
}
BENCHMARK(LimiterFollowerAlone);

void LimiterStageLevelLogs(benchmark::State& state)
{
    const StageData& d = data();
    TowardZeroRounding rounding;
    std::vector<double> out(blockFrames);
    std::size_t block = 0;
    for (auto _ : state) {
        VectorPasses::levelLogs(d.left.data() + block * blockFrames, d.right.data() + block * blockFrames, out.data(),
                                blockFrames, d.inputGain, d.compensation);
        benchmark::DoNotOptimize(out.data());
        block = (block + 1) % signalBlocks;
    }
    perFrame(state);
}
BENCHMARK(LimiterStageLevelLogs);

void LimiterStagePowerAlone(benchmark::State& state)
{
    const StageData& d = data();
    TowardZeroRounding rounding;
    std::vector<double> shaped(2 * blockFrames * signalBlocks), out(2 * blockFrames);
    for (std::size_t i = 0; i < d.left.size(); ++i) {
        shaped[2 * i] = std::fmin(1.0, std::fmax(-1.0, d.left[i] * 0.5));
        shaped[2 * i + 1] = std::fmin(1.0, std::fmax(-1.0, d.right[i] * 0.5));
    }
    Lanes::Pair power = {0.0, 0.0};
    std::size_t block = 0;
    for (auto _ : state) {
        power = powerAlone(power, shaped.data() + 2 * block * blockFrames, out.data(), blockFrames, d.powerCoeff);
        block = (block + 1) % signalBlocks;
    }
    perFrame(state);
}
BENCHMARK(LimiterStagePowerAlone);

void LimiterStageGains(benchmark::State& state)
{
    const StageData& d = data();
    TowardZeroRounding rounding;
    std::vector<double> gains(blockFrames);
    std::size_t block = 0;
    for (auto _ : state) {
        std::memcpy(gains.data(), d.reductions.data() + block * blockFrames, blockFrames * sizeof(double));
        VectorPasses::gainsFromReductions(gains.data(), blockFrames);
        benchmark::DoNotOptimize(gains.data());
        block = (block + 1) % signalBlocks;
    }
    perFrame(state);
}
BENCHMARK(LimiterStageGains);

// The level logarithms, the follower, the gains, the delay and clip and the power smoothing, as the kernel
// runs them together.
void LimiterStageMainPass(benchmark::State& state)
{
    const StageData& d = data();
    TowardZeroRounding rounding;
    std::vector<double> history(blockFrames + lookahead, 0.0), levels(blockFrames), gains(blockFrames),
        shapedLeft(blockFrames), shapedRight(blockFrames), power(2 * blockFrames);
    std::vector<double> delayedLeft(blockFrames + lookahead), delayedRight(blockFrames + lookahead);
    VectorPasses::MainPass pass{};
    pass.inputGain = d.inputGain;
    pass.compensation = d.compensation;
    pass.release = d.release;
    pass.attack = d.attack;
    pass.makeup = 1.0;
    pass.powerCoeff = d.powerCoeff;
    pass.levels = levels.data();
    pass.gains = gains.data();
    pass.shapedLeft = shapedLeft.data();
    pass.shapedRight = shapedRight.data();
    pass.power = power.data();
    pass.historyOld = history.data();
    pass.historyNew = history.data() + lookahead;
    std::size_t block = 0;
    for (auto _ : state) {
        const std::size_t at = block * blockFrames;
        std::memcpy(delayedLeft.data() + lookahead, d.left.data() + at, blockFrames * sizeof(double));
        std::memcpy(delayedRight.data() + lookahead, d.right.data() + at, blockFrames * sizeof(double));
        pass.inputLeft = delayedLeft.data() + lookahead;
        pass.inputRight = delayedRight.data() + lookahead;
        pass.delayedLeft = delayedLeft.data();
        pass.delayedRight = delayedRight.data();
        VectorPasses::mainPass(pass, blockFrames);
        std::memcpy(history.data(), history.data() + blockFrames, lookahead * sizeof(double));
        std::memcpy(delayedLeft.data(), delayedLeft.data() + blockFrames, lookahead * sizeof(double));
        std::memcpy(delayedRight.data(), delayedRight.data() + blockFrames, lookahead * sizeof(double));
        block = (block + 1) % signalBlocks;
    }
    perFrame(state);
}
BENCHMARK(LimiterStageMainPass);

void LimiterStageDitherNoise(benchmark::State& state)
{
    std::vector<double> left(blockFrames), right(blockFrames);
    Lanes::Quad draws = {1u, 2u, 3u, 4u};
    for (auto _ : state) {
        VectorPasses::ditherNoise(draws, left.data(), right.data(), blockFrames, 1.0 / 8388608.0);
        benchmark::DoNotOptimize(left.data());
    }
    perFrame(state);
}
BENCHMARK(LimiterStageDitherNoise);

// The dither added into the outputs and the meters' extremes, over the 20 ms between two publishes.
void LimiterStageFinishOutput(benchmark::State& state)
{
    const StageData& d = data();
    std::vector<double> shapedLeft(blockFrames), shapedRight(blockFrames), noise(blockFrames, 1e-7),
        power(2 * blockFrames, 0.1), gains(blockFrames, 0.5), outLeft(blockFrames), outRight(blockFrames);
    for (int i = 0; i < blockFrames; ++i) {
        shapedLeft[i] = std::fmin(1.0, std::fmax(-1.0, d.left[i] * 0.5));
        shapedRight[i] = std::fmin(1.0, std::fmax(-1.0, d.right[i] * 0.5));
    }
    const VectorPasses::FinishPass pass{shapedLeft.data(), shapedRight.data(), noise.data(),   noise.data(),
                                        power.data(),      gains.data(),       outLeft.data(), outRight.data()};
    for (auto _ : state) {
        VectorPasses::MeterExtremes extremes = {{0.0, 0.0}, {0.0, 0.0}, HUGE_VAL};
        VectorPasses::finishOutput(pass, blockFrames, extremes);
        benchmark::DoNotOptimize(extremes);
        benchmark::DoNotOptimize(outLeft.data());
    }
    perFrame(state);
}
BENCHMARK(LimiterStageFinishOutput);
