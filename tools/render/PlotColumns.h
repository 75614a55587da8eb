// The whole file boiled down to one value set per picture column: each channel's lowest and highest
// sample going in and coming out, and how far the output's peak stayed below the input's.
#pragma once

#include <optional>
#include <vector>

#include "tools/render/RenderChain.h"
#include "tools/render/StereoAudio.h"

namespace Render {

struct SampleSpan {
    float low = 0.0f, high = 0.0f;
};

struct PlotColumn {
    SampleSpan input[2], output[2];
    // The input's peak over the column (the input the output came from) against the output's, in dB;
    // empty where the input is too quiet to tell a gain change from the dither.
    std::optional<float> reductionDb;
    // The true-peak ceiling stage's own largest reduction over the column, in dB, when it ran.
    std::optional<float> ceilingReductionDb;
};

// Gathers the columns as the audio passes, without knowing its length: the frames go into at most
// twice as many bins as columns, and when those fill, neighbours merge and each bin takes twice the
// frames. Non-finite input samples are left out.
class ColumnGatherer : public Sink {
public:
    explicit ColumnGatherer(int columns);
    void take(const StereoBlock& input, StereoBlock& output) override;
    std::vector<PlotColumn> columns() const;
    // The ceiling stage's gain of each frame of the next block taken (as many as it has frames).
    void setCeilingGains(const float* gains) { ceilingGains_ = gains; }

private:
    struct Bin {
        float low[4], high[4];
        float inPeak, outPeak;
        float ceilingGain;  // smallest
    };
    void startBin(const float (&values)[4]);
    void mergePairs();

    std::size_t columns_;
    std::vector<Bin> bins_;
    std::size_t framesPerBin_ = 1, inLast_ = 0;
    const float* ceilingGains_ = nullptr;
    bool ceiling_ = false;
};

// `columns` columns over whole audio whose output trails the input by `latency` frames.
std::vector<PlotColumn> plotColumns(const StereoAudio& input, const StereoAudio& output, int latency, int columns);

}  // namespace Render
