#include "tools/render/TargetRender.h"

#include <ebur128.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "tools/render/AudioFile.h"
#include "tools/render/CeilingStage.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/RenderChain.h"
#include "tools/render/Renderer.h"

namespace Render {

namespace {

struct Ebur128Deleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using Ebur128 = std::unique_ptr<ebur128_state, Ebur128Deleter>;

// Integrated loudness alone (no range or true peak, which the search does not need), of the audio as its
// file holds it: one channel for a mono file.
class IntegratedLoudness : public Sink {
public:
    IntegratedLoudness(double sampleRate, int fileChannels)
        : channels_(fileChannels == 1 ? 1u : 2u),
          state_(ebur128_init(channels_, static_cast<unsigned long>(sampleRate), EBUR128_MODE_I))
    {
    }
    void take(const StereoBlock&, StereoBlock& output) override
    {
        frames_.resize(output.frames * channels_);
        for (std::size_t i = 0; i < output.frames; ++i) {
            const float l = std::isfinite(output.left[i]) ? output.left[i] : 0.0f;
            const float r = std::isfinite(output.right[i]) ? output.right[i] : 0.0f;
            if (channels_ == 1)
                frames_[i] = l;  // the rounding before us has folded both channels into one
            else
                frames_[2 * i] = l, frames_[2 * i + 1] = r;
        }
        if (state_)
            ebur128_add_frames_float(state_.get(), frames_.data(), output.frames);
    }
    ebur128_state* state() const { return state_.get(); }

private:
    unsigned channels_;
    Ebur128 state_;
    std::vector<float> frames_;
};

// One input rendered at the settings, its loudness gathered into a state of its own.
bool renderForLoudness(PluginHost::PluginFile& pluginFile, const JobSettings& settings, const std::string& input,
                       std::unique_ptr<IntegratedLoudness>& loudness, std::string& error)
{
    auto reader = input.empty() ? audioFromMemory(defaultSignal()) : openAudio(input, error);
    if (!reader)
        return false;
    StereoAudio shape = reader->shape();
    shape.left.clear(), shape.right.clear();
    if (settings.outputFormat)
        shape.format = settings.outputFormat;
    auto host = startPlugin(pluginFile, settings, shape.sampleRate, error);
    if (!host)
        return false;
    PluginStage plugin(*host, settings.render);
    std::vector<Stage*> stages = {&plugin};
    std::unique_ptr<CeilingStage> ceiling;
    if (settings.truePeakCeilingDbtp) {
        ceiling = CeilingStage::create(shape.sampleRate, *settings.truePeakCeilingDbtp, quantizationStep(shape.format),
                                       plugin.latency(), error);
        if (!ceiling)
            return false;
        stages.push_back(ceiling.get());
    }
    FileRounding rounding(shape);
    loudness = std::make_unique<IntegratedLoudness>(shape.sampleRate, shape.fileChannels);
    ChainOptions chain;
    chain.blockSize = static_cast<std::size_t>(std::max(settings.render.blockSize, 1));
    chain.compensateLatency = !settings.keepLatency;
    runChain(*reader, stages, {&rounding, loudness.get()}, chain);
    if (!reader->finish(error))
        return false;
    if (!loudness->state()) {
        error = "cannot measure the loudness at " + std::to_string(static_cast<int>(shape.sampleRate)) + " Hz";
        return false;
    }
    return true;
}

}  // namespace

JobSettings withThreshold(const JobSettings& settings, float threshold)
{
    JobSettings s = settings;
    char value[32];
    std::snprintf(value, sizeof value, "%.9g", static_cast<double>(threshold));
    s.settings.push_back({"thresh.", value});
    s.settings.push_back({"makeup", "1"});
    return s;
}

bool searchTarget(PluginHost::PluginFile& pluginFile, const JobSettings& settings, const std::vector<std::string>& inputs,
                  TargetResult& result, std::string& error)
{
    TargetSearch search;
    search.targetLufs = *settings.targetLufs;
    bool failed = false;
    result = searchThreshold(search, [&](float threshold) -> std::optional<double> {
        const JobSettings at = withThreshold(settings, threshold);
        std::vector<std::unique_ptr<IntegratedLoudness>> measured(inputs.size());
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (!renderForLoudness(pluginFile, at, inputs[i], measured[i], error)) {
                if (inputs.size() > 1)
                    error = inputs[i] + ": " + error;
                failed = true;
                return std::nullopt;
            }
        std::vector<ebur128_state*> all;
        for (const auto& m : measured)
            all.push_back(m->state());
        double lufs = 0.0;
        if (ebur128_loudness_global_multiple(all.data(), all.size(), &lufs) != EBUR128_SUCCESS ||
            !std::isfinite(lufs)) {
            error = "the audio is silent: it has no loudness to bring to a target";
            failed = true;
            return std::nullopt;
        }
        return lufs;
    });
    return !failed;
}

}  // namespace Render
