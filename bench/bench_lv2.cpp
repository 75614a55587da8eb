// The LV2 plug-in's run on the signal, rate, block size and threshold of TarnProcessReplacing, in the
// same program run, so the two formats' costs compare side by side; and other LV2 plug-ins the same way
// through our small LV2 host.
#include "bench/bench_lv2.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <lv2/core/lv2.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench/BenchSignal.h"
#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"
#include "lv2/Lv2Ports.h"
#include "tools/vsthost/PluginLibrary.h"

namespace {

constexpr int blockFrames = 512;
constexpr int signalBlocks = 64;

const LV2_Descriptor* bundleDescriptor()
{
    const std::string path =
        VstHost::programFolder() + "../" + ProductFacts::lv2Bundle + "/" + ProductFacts::lv2Binary + ".so";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry = library ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor")) : nullptr;
    return entry ? entry(0) : nullptr;
}

void TarnLv2Run(benchmark::State& state)
{
    static const LV2_Descriptor* descriptor = bundleDescriptor();
    const LV2_Feature* const none[] = {nullptr};
    LV2_Handle instance = descriptor ? descriptor->instantiate(descriptor, 44100.0, "", none) : nullptr;
    if (!instance) {
        state.SkipWithError("the LV2 bundle did not load");
        return;
    }
    float controls[LimiterParams::count], latency = 0.0f;
    for (int i = 0; i < LimiterParams::count; ++i) {
        controls[i] = static_cast<float>(ParamUnits::displayValue(i, LimiterParams::declarations[i].defaultValue));
        descriptor->connect_port(instance, Lv2Ports::firstControl + i, &controls[i]);
    }
    controls[LimiterParams::threshold] = -6.0f;
    descriptor->connect_port(instance, Lv2Ports::latency, &latency);
    std::vector<float> left(blockFrames * signalBlocks), right(left.size());
    fillLimitedSignal(left, right);
    std::vector<float> outL(blockFrames), outR(blockFrames);
    descriptor->connect_port(instance, Lv2Ports::outLeft, outL.data());
    descriptor->connect_port(instance, Lv2Ports::outRight, outR.data());
    descriptor->activate(instance);
    std::size_t block = 0;
    for (auto _ : state) {
        descriptor->connect_port(instance, Lv2Ports::inLeft, left.data() + block * blockFrames);
        descriptor->connect_port(instance, Lv2Ports::inRight, right.data() + block * blockFrames);
        descriptor->run(instance, blockFrames);
        benchmark::DoNotOptimize(outL.data());
        block = (block + 1) % signalBlocks;
    }
    descriptor->cleanup(instance);
    state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void runLv2Peer(benchmark::State& state, const std::string& uri, const std::vector<Lv2Peer::Setting>& settings)
{
    std::string error;
    const auto host = Lv2Peer::Host::load(uri, 44100.0, blockFrames, settings, error);
    if (!host) {
        state.SkipWithError(error.c_str());
        return;
    }
    if (host->audioInputs() != 2 || host->audioOutputs() != 2) {
        state.SkipWithError("not a stereo plug-in");
        return;
    }
    std::vector<float> left(blockFrames * signalBlocks), right(left.size());
    fillLimitedSignal(left, right);
    std::vector<float> outL(blockFrames), outR(blockFrames);
    float* out[2] = {outL.data(), outR.data()};
    std::size_t block = 0;
    for (auto _ : state) {
        const float* in[2] = {left.data() + block * blockFrames, right.data() + block * blockFrames};
        host->connectAudio(in, out);
        host->run(blockFrames);
        benchmark::DoNotOptimize(outL.data());
        block = (block + 1) % signalBlocks;
    }
    state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(TarnLv2Run);

void registerLv2PeerBenchmark(const std::string& uri, const std::vector<Lv2Peer::Setting>& settings)
{
    const std::string shown = Lv2Peer::describe(settings);
    const std::string name = "Lv2Peer/" + uri + (shown.empty() ? "" : " " + shown);
    benchmark::RegisterBenchmark(name.c_str(),
                                 [uri, settings](benchmark::State& state) { runLv2Peer(state, uri, settings); });
}
