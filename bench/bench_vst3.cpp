// Tarn.vst3's process on the signal, rate, block size and threshold of TarnProcessReplacing, in the
// same program run, so the formats' costs compare side by side (the call as a VST3 host makes it, with
// no parameter changes).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchSignal.h"
#include "limiter/LimiterParams.h"
#include "tools/pluginhost/Vst3Instance.h"

namespace {

constexpr int blockFrames = 512;
constexpr int signalBlocks = 64;

void TarnVst3Process(benchmark::State& state)
{
    std::string error;
    static auto file = PluginHost::Vst3File::open(VstHost::programFolder() + "../Tarn.vst3", error);
    auto vst3 = file ? file->instantiateVst3(error) : nullptr;
    if (!vst3 || !vst3->start(44100.0, blockFrames, false, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<float> left(blockFrames * signalBlocks), right(left.size());
    fillLimitedSignal(left, right);
    std::vector<float> outL(blockFrames), outR(blockFrames);
    float* out[2] = {outL.data(), outR.data()};
    float* in[2] = {left.data(), right.data()};
    // -6 dB, as a host sends it: with the audio, to the processor.
    vst3->process(in, out, blockFrames, std::vector<PluginHost::Vst3Change>{{0, LimiterParams::threshold, 0.7}});
    v3_audio_bus_buffers inputs{}, outputs{};
    inputs.num_channels = outputs.num_channels = 2;
    inputs.channel_buffers_32 = in;
    outputs.channel_buffers_32 = out;
    v3_process_data data{};
    data.symbolic_sample_size = V3_SAMPLE_32;
    data.nframes = blockFrames;
    data.num_input_buses = data.num_output_buses = 1;
    data.inputs = &inputs;
    data.outputs = &outputs;
    v3_audio_processor** processor = vst3->processor();
    std::size_t block = 0;
    for (auto _ : state) {
        in[0] = left.data() + block * blockFrames;
        in[1] = right.data() + block * blockFrames;
        v3_cpp_obj(processor)->process(processor, &data);
        benchmark::DoNotOptimize(outL.data());
        block = (block + 1) % signalBlocks;
    }
    state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(TarnVst3Process);
