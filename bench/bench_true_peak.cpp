// The true-peak ceiling stage alone, on the signal the limiter's benchmarks use (stereo, 44.1 kHz, 512-frame
// blocks), in double precision, with its ceiling at -1 dBTP so it lowers the peaks most of the time.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchSignal.h"
#include "limiter/TruePeakCeiling.h"

namespace {
constexpr int blockFrames = 512;
constexpr int signalBlocks = 64;
}  // namespace

void TruePeakCeilingProcess(benchmark::State& state)
{
    std::vector<float> left(blockFrames * signalBlocks), right(left.size());
    fillLimitedSignal(left, right);
    const std::vector<double> wideLeft(left.begin(), left.end()), wideRight(right.begin(), right.end());
    std::vector<double> outL(blockFrames), outR(blockFrames);
    double* out[2] = {outL.data(), outR.data()};
    TruePeakCeiling stage;
    stage.setup(44100.0, -1.0);
    std::size_t block = 0;
    for (auto _ : state) {
        const double* in[2] = {wideLeft.data() + block * blockFrames, wideRight.data() + block * blockFrames};
        stage.process(in, out, blockFrames);
        benchmark::DoNotOptimize(outL.data());
        block = (block + 1) % signalBlocks;
    }
    state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(TruePeakCeilingProcess);
