#include "tools/render/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace Render {

namespace {

struct StateDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

std::optional<double> finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> decibels(double level)
{
    return level > 0.0 ? std::optional<double>(20.0 * std::log10(level)) : std::nullopt;
}

}  // namespace

LoudnessFigures measureLoudness(const StereoAudio& audio)
{
    const unsigned channels = audio.fileChannels == 1 ? 1u : 2u;
    const int modes = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_SAMPLE_PEAK;
    std::unique_ptr<ebur128_state, StateDeleter> state(
        ebur128_init(channels, static_cast<unsigned long>(std::lround(audio.sampleRate)), modes));
    LoudnessFigures figures;
    if (!state)
        return figures;

    constexpr std::size_t chunk = 1 << 14;
    std::vector<float> interleaved(chunk * channels);
    for (std::size_t at = 0; at < audio.frames(); at += chunk) {
        const std::size_t n = std::min(chunk, audio.frames() - at);
        if (channels == 1) {
            std::copy_n(audio.left.begin() + at, n, interleaved.begin());
        } else {
            for (std::size_t i = 0; i < n; ++i) {
                interleaved[2 * i] = audio.left[at + i];
                interleaved[2 * i + 1] = audio.right[at + i];
            }
        }
        ebur128_add_frames_float(state.get(), interleaved.data(), n);
    }

    double integrated = -HUGE_VAL, range = 0.0;
    if (ebur128_loudness_global(state.get(), &integrated) == EBUR128_SUCCESS)
        figures.integratedLufs = finite(integrated);
    // Fewer than 3 s give no short-term loudness to spread: a range of 0 there would be a false figure.
    if (figures.integratedLufs && audio.frames() >= 3.0 * audio.sampleRate &&
        ebur128_loudness_range(state.get(), &range) == EBUR128_SUCCESS)
        figures.loudnessRangeLu = finite(range);
    double highest = 0.0, samplePeak = 0.0;
    for (unsigned channel = 0; channel < channels; ++channel) {
        double truePeak = 0.0, peak = 0.0;
        if (ebur128_true_peak(state.get(), channel, &truePeak) == EBUR128_SUCCESS)
            highest = std::max(highest, truePeak);
        if (ebur128_sample_peak(state.get(), channel, &peak) == EBUR128_SUCCESS)
            samplePeak = std::max(samplePeak, peak);
    }
    // The oversampled peak is never below the samples themselves.
    highest = std::max(highest, samplePeak);
    figures.truePeakDbtp = decibels(highest);
    figures.samplePeakDbfs = decibels(samplePeak);
    return figures;
}

}  // namespace Render
