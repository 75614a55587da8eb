// processReplacing of the whole plug-in, stereo, 44.1 kHz, 512-frame blocks, limiting most of the time;
// the same for any other VST 2.4 plug-in named on the command line, so the figures compare side by side.
#include "bench/bench_limiter.h"

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/BenchSignal.h"
#include "host/EffectEntry.h"
#include "limiter/Limiter.h"

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
