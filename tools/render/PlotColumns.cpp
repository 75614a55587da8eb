#include "tools/render/PlotColumns.h"

#include <algorithm>
#include <cmath>

namespace Render {

namespace {

// As the report's largest reduction: below this the dither hides any gain change.
constexpr float reductionFloor = 1e-3f;

SampleSpan spanOf(const float* samples, std::size_t count)
{
    const auto [low, high] = std::minmax_element(samples, samples + count);
    return {*low, *high};
}

float peakOf(const StereoAudio& audio, std::size_t from, std::size_t to)
{
    float peak = 0.0f;
    for (std::size_t i = from; i < to; ++i)
        peak = std::max({peak, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    return peak;
}

}  // namespace

std::vector<PlotColumn> plotColumns(const StereoAudio& input, const StereoAudio& output, int latency, int columns)
{
    std::vector<PlotColumn> result(static_cast<std::size_t>(std::max(columns, 0)));
    const std::size_t frames = std::min(input.frames(), output.frames());
    if (frames == 0)
        return result;
    const std::size_t delay = static_cast<std::size_t>(std::max(latency, 0));
    for (std::size_t c = 0; c < result.size(); ++c) {
        std::size_t from = c * frames / result.size(), to = (c + 1) * frames / result.size();
        to = std::max(to, std::min(from + 1, frames));  // more columns than frames: each shows one
        from = std::min(from, to - 1);
        PlotColumn& column = result[c];
        column.input[0] = spanOf(input.left.data() + from, to - from);
        column.input[1] = spanOf(input.right.data() + from, to - from);
        column.output[0] = spanOf(output.left.data() + from, to - from);
        column.output[1] = spanOf(output.right.data() + from, to - from);
        if (to <= delay)
            continue;
        const float in = peakOf(input, from > delay ? from - delay : 0, to - delay);
        const float out = peakOf(output, std::max(from, delay), to);
        if (in > reductionFloor && out > 0.0f)
            column.reductionDb = std::max(0.0f, 20.0f * std::log10(in / out));
    }
    return result;
}

}  // namespace Render
