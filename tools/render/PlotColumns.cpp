#include "tools/render/PlotColumns.h"

#include <algorithm>
#include <cmath>

namespace Render {

namespace {

// As the report's largest reduction: below this the dither hides any gain change.
constexpr float reductionFloor = 1e-3f;

// The four channels' spans over frames from..to-1 in one pass.
void spansOf(const StereoAudio& input, const StereoAudio& output, std::size_t from, std::size_t to, PlotColumn& column)
{
    const float* channels[4] = {input.left.data(), input.right.data(), output.left.data(), output.right.data()};
    SampleSpan* spans[4] = {&column.input[0], &column.input[1], &column.output[0], &column.output[1]};
    float low[4], high[4];
    for (int c = 0; c < 4; ++c)
        low[c] = high[c] = channels[c][from];
    for (std::size_t i = from + 1; i < to; ++i)
        for (int c = 0; c < 4; ++c) {
            low[c] = std::min(low[c], channels[c][i]);
            high[c] = std::max(high[c], channels[c][i]);
        }
    for (int c = 0; c < 4; ++c)
        *spans[c] = {low[c], high[c]};
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
        spansOf(input, output, from, to, column);
        if (to <= delay)
            continue;
        float in = 0.0f, out = 0.0f;
        for (std::size_t i = std::max(from, delay); i < to; ++i) {
            in = std::max(in, std::max(std::fabs(input.left[i - delay]), std::fabs(input.right[i - delay])));
            out = std::max(out, std::max(std::fabs(output.left[i]), std::fabs(output.right[i])));
        }
        if (in > reductionFloor && out > 0.0f)
            column.reductionDb = std::max(0.0f, 20.0f * std::log10(in / out));
    }
    return result;
}

}  // namespace Render
