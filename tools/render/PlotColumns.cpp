#include "tools/render/PlotColumns.h"

#include <algorithm>
#include <cmath>

namespace Render {

namespace {

// As the report's largest reduction: below this the dither hides any gain change.
constexpr float reductionFloor = 1e-3f;

float finiteOr(float sample, float otherwise) { return std::isfinite(sample) ? sample : otherwise; }

}  // namespace

ColumnGatherer::ColumnGatherer(int columns) : columns_(static_cast<std::size_t>(std::max(columns, 0)))
{
    bins_.reserve(2 * columns_ + 1);
}

void ColumnGatherer::startBin(const float (&values)[4])
{
    if (bins_.size() == 2 * columns_ && columns_ > 0)
        mergePairs();
    Bin bin{};
    bin.ceilingGain = 1.0f;
    for (int c = 0; c < 4; ++c)
        bin.low[c] = bin.high[c] = values[c];
    bins_.push_back(bin);
    inLast_ = 0;
}

void ColumnGatherer::mergePairs()
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bins_.size(); i += 2, ++kept) {
        Bin merged = bins_[i];
        if (i + 1 < bins_.size()) {
            const Bin& next = bins_[i + 1];
            for (int c = 0; c < 4; ++c) {
                merged.low[c] = std::min(merged.low[c], next.low[c]);
                merged.high[c] = std::max(merged.high[c], next.high[c]);
            }
            merged.inPeak = std::max(merged.inPeak, next.inPeak);
            merged.outPeak = std::max(merged.outPeak, next.outPeak);
            merged.ceilingGain = std::min(merged.ceilingGain, next.ceilingGain);
        }
        bins_[kept] = merged;
    }
    bins_.resize(kept);
    framesPerBin_ *= 2;
}

void ColumnGatherer::take(const StereoBlock& input, StereoBlock& output)
{
    if (columns_ == 0)
        return;
    for (std::size_t i = 0; i < output.frames; ++i) {
        const float values[4] = {finiteOr(input.left[i], 0.0f), finiteOr(input.right[i], 0.0f), output.left[i],
                                 output.right[i]};
        if (bins_.empty() || inLast_ == framesPerBin_)
            startBin(values);
        Bin& bin = bins_.back();
        for (int c = 0; c < 4; ++c) {
            bin.low[c] = std::min(bin.low[c], values[c]);
            bin.high[c] = std::max(bin.high[c], values[c]);
        }
        bin.inPeak = std::max(bin.inPeak, std::max(std::fabs(values[0]), std::fabs(values[1])));
        bin.outPeak = std::max(bin.outPeak, std::max(std::fabs(values[2]), std::fabs(values[3])));
        if (ceilingGains_)
            bin.ceilingGain = std::min(bin.ceilingGain, ceilingGains_[i]);
        ++inLast_;
    }
    ceiling_ = ceiling_ || ceilingGains_;
    ceilingGains_ = nullptr;
}

std::vector<PlotColumn> ColumnGatherer::columns() const
{
    std::vector<PlotColumn> result(columns_);
    const std::size_t bins = bins_.size();
    if (bins == 0)
        return result;
    for (std::size_t c = 0; c < columns_; ++c) {
        std::size_t from = c * bins / columns_, to = (c + 1) * bins / columns_;
        to = std::max(to, std::min(from + 1, bins));  // more columns than bins: each shows one
        from = std::min(from, to - 1);
        Bin merged = bins_[from];
        for (std::size_t b = from + 1; b < to; ++b)
            for (int k = 0; k < 4; ++k) {
                merged.low[k] = std::min(merged.low[k], bins_[b].low[k]);
                merged.high[k] = std::max(merged.high[k], bins_[b].high[k]);
                merged.inPeak = std::max(merged.inPeak, bins_[b].inPeak);
                merged.outPeak = std::max(merged.outPeak, bins_[b].outPeak);
                merged.ceilingGain = std::min(merged.ceilingGain, bins_[b].ceilingGain);
            }
        PlotColumn& column = result[c];
        column.input[0] = {merged.low[0], merged.high[0]};
        column.input[1] = {merged.low[1], merged.high[1]};
        column.output[0] = {merged.low[2], merged.high[2]};
        column.output[1] = {merged.low[3], merged.high[3]};
        if (merged.inPeak > reductionFloor && merged.outPeak > 0.0f)
            column.reductionDb = std::max(0.0f, 20.0f * std::log10(merged.inPeak / merged.outPeak));
        if (ceiling_ && merged.ceilingGain > 0.0f)
            column.ceilingReductionDb = -20.0f * std::log10(merged.ceilingGain);
    }
    return result;
}

std::vector<PlotColumn> plotColumns(const StereoAudio& input, const StereoAudio& output, int latency, int columns)
{
    ColumnGatherer gatherer(columns);
    StereoAudio in = input, out = output;
    const std::size_t frames = std::min(in.frames(), out.frames());
    const std::size_t delay = std::min(static_cast<std::size_t>(std::max(latency, 0)), frames);
    in.left.insert(in.left.begin(), delay, 0.0f);
    in.right.insert(in.right.begin(), delay, 0.0f);
    StereoBlock outBlock{out.left.data(), out.right.data(), frames};
    gatherer.take({in.left.data(), in.right.data(), frames}, outBlock);
    return gatherer.columns();
}

}  // namespace Render
