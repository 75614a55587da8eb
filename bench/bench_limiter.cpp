// processReplacing of the whole plug-in, stereo, 44.1 kHz, 512-frame blocks, limiting most of the time;
// the same for any other VST 2.4 plug-in named on the command line, so the figures compare side by side;
// and the limiter kernel alone on the same signal in double precision (no host, no conversions).
#include "bench/bench_limiter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "bench/BenchSignal.h"
#include "host/EffectEntry.h"
#include "limiter/LimiterKernel.h"

namespace {

constexpr int blockFrames = 512;
constexpr int signalBlocks = 64;

void runPlugin(benchmark::State& state, VstHost::PluginEntry entry, bool setThreshold)
{
    auto host = VstHost::HostedEffect::create(entry);
    if (!host) {
        state.SkipWithError("the plug-in created no effect");
        return;
    }
    host->start(44100.0f, blockFrames);
    if (setThreshold)
        host->setParameter(0, 0.7f);  // -6 dB
    std::vector<float> left(blockFrames * signalBlocks), right(left.size());
    fillLimitedSignal(left, right);
    std::vector<float> outL(blockFrames), outR(blockFrames);
    float* out[2] = {outL.data(), outR.data()};
    std::size_t block = 0;
    for (auto _ : state) {
        float* in[2] = {left.data() + block * blockFrames, right.data() + block * blockFrames};
        host->processReplacing(in, out, blockFrames);
        benchmark::DoNotOptimize(outL.data());
        block = (block + 1) % signalBlocks;
    }
    state.counters["ns/frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

AEffect* VSTCALLBACK tarnEntry(audioMasterCallback m) { return createEffectForHost(m, createEffectInstance); }

}  // namespace

void TarnProcessReplacing(benchmark::State& state) { runPlugin(state, tarnEntry, true); }
BENCHMARK(TarnProcessReplacing);

void LimiterKernelProcess(benchmark::State& state)
{
    std::vector<float> left(blockFrames * signalBlocks), right(left.size());
    fillLimitedSignal(left, right);
    const std::vector<double> wideLeft(left.begin(), left.end()), wideRight(right.begin(), right.end());
    std::vector<double> outL(blockFrames), outR(blockFrames);
    double* out[2] = {outL.data(), outR.data()};
    auto kernel = std::make_unique<LimiterKernel>();
    kernel->setup(44100.0f);
    kernel->reset();
    const LimiterSettings settings{0.7f, 0.5f, 0.0f, 0.0f, 1.0f, 44100.0f};  // -6 dB, the defaults otherwise
    bool changed = true;
    std::size_t block = 0;
    for (auto _ : state) {
        const double* in[2] = {wideLeft.data() + block * blockFrames, wideRight.data() + block * blockFrames};
        kernel->process(settings, changed, in, out, blockFrames);
        changed = false;
        benchmark::DoNotOptimize(outL.data());
        block = (block + 1) % signalBlocks;
    }
    state.counters["ns/frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(LimiterKernelProcess);

void registerPeerBenchmark(const std::string& path, bool tarnSettings)
{
    auto* library = new VstHost::PluginLibrary;  // lives as long as the benchmark run
    if (!library->load(path)) {
        std::fprintf(stderr, "skipping %s: %s\n", path.c_str(), library->error().c_str());
        delete library;
        return;
    }
    const std::string name = (tarnSettings ? "OtherTarn/" : "Peer/") + path;
    benchmark::RegisterBenchmark(name.c_str(), [library, tarnSettings](benchmark::State& state) {
        runPlugin(state, library->entry(), tarnSettings);
    });
}
