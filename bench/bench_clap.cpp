// Tarn.clap's process on the signal, rate, block size and threshold of TarnProcessReplacing, in the
// same program run, so the formats' costs compare side by side (the process call as a CLAP host makes
// it: a prepared event list, here empty, and the audio buffers).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchSignal.h"
#include "limiter/LimiterParams.h"
#include "tools/pluginhost/ClapInstance.h"

namespace {

constexpr int blockFrames = 512;
constexpr int signalBlocks = 64;

std::uint32_t CLAP_ABI noEvents(const clap_input_events_t*) { return 0; }
const clap_event_header_t* CLAP_ABI noEvent(const clap_input_events_t*, std::uint32_t) { return nullptr; }
bool CLAP_ABI dropEvent(const clap_output_events_t*, const clap_event_header_t*) { return true; }

void TarnClapProcess(benchmark::State& state)
{
    std::string error;
    static auto file = PluginHost::ClapFile::open(VstHost::programFolder() + "../Tarn.clap", error);
    auto clap = file ? file->instantiateClap(error) : nullptr;
    if (!clap || !clap->start(44100.0, blockFrames, false, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    clap->setParameter(LimiterParams::threshold, 0.7f);  // -6 dB
    const clap_plugin_t* plugin = clap->plugin();
    std::vector<float> left(blockFrames * signalBlocks), right(left.size());
    fillLimitedSignal(left, right);
    std::vector<float> outL(blockFrames), outR(blockFrames);
    float* out[2] = {outL.data(), outR.data()};
    float* in[2] = {nullptr, nullptr};
    clap_audio_buffer_t input{in, nullptr, 2, 0, 0}, output{out, nullptr, 2, 0, 0};
    const clap_input_events_t events{nullptr, noEvents, noEvent};
    const clap_output_events_t reported{nullptr, dropEvent};
    clap_process_t process{-1, blockFrames, nullptr, &input, &output, 1, 1, &events, &reported};
    plugin->start_processing(plugin);
    std::size_t block = 0;
    for (auto _ : state) {
        in[0] = left.data() + block * blockFrames;
        in[1] = right.data() + block * blockFrames;
        plugin->process(plugin, &process);
        benchmark::DoNotOptimize(outL.data());
        block = (block + 1) % signalBlocks;
    }
    plugin->stop_processing(plugin);
    state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(TarnClapProcess);
