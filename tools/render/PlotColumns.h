// The whole file boiled down to one value set per picture column: each channel's lowest and highest
// sample going in and coming out, and how far the output's peak stayed below the input's.
#pragma once

#include <optional>
#include <vector>

#include "tools/render/StereoAudio.h"

namespace Render {

struct SampleSpan {
    float low = 0.0f, high = 0.0f;
};

struct PlotColumn {
    SampleSpan input[2], output[2];
    // The input's peak over the column (taken `latency` frames earlier) against the output's, in dB;
    // empty where the input is too quiet to tell a gain change from the dither.
    std::optional<float> reductionDb;
};

// `columns` columns over the whole audio; input and output have the same length.
std::vector<PlotColumn> plotColumns(const StereoAudio& input, const StereoAudio& output, int latency, int columns);

}  // namespace Render
