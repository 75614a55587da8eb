// The driver's own cost: single precision widened to double, an effect that only copies, narrowed back.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "host/EffectEntry.h"
#include "plugcore/Plug.h"
#include "tools/vsthost/HostedEffect.h"

namespace {

class CopyEffect : public PlugCore::Plug {
public:
    explicit CopyEffect(audioMasterCallback m) : Plug(m, 1) {}
    void setup() override {}
    void reset() override {}
    bool processBlock(bool, const PlugCore::TransportInfo&, double** in, double** out, VstInt32 frames) override
    {
        std::copy_n(in[0], frames, out[0]);
        std::copy_n(in[1], frames, out[1]);
        return false;
    }
    void getDisplayText(VstInt32, char* text, float) override { *text = 0; }
};

AEffect* VSTCALLBACK copyEntry(audioMasterCallback m)
{
    return createEffectForHost(m, [](audioMasterCallback a) -> AudioEffect* { return new CopyEffect(a); });
}

void DriverCopyPerFrame(benchmark::State& state)
{
    constexpr int frames = 512;
    auto host = VstHost::HostedEffect::create(copyEntry);
    host->start(44100.0f, frames);
    std::vector<float> inL(frames, 0.25f), inR(frames, -0.25f), outL(frames), outR(frames);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    for (auto _ : state) {
        host->processReplacing(in, out, frames);
        benchmark::DoNotOptimize(outL.data());
    }
    state.counters["ns/frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(DriverCopyPerFrame);
