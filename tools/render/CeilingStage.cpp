#include "tools/render/CeilingStage.h"

#include <cmath>
#include <sstream>

namespace Render {

namespace {

// One uniform value in [-0.5, 0.5) from a 32-bit xorshift: the same dither on every run of the same file.
double uniform(std::uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) / 4294967296.0 - 0.5;
}

}  // namespace

std::unique_ptr<CeilingStage> CeilingStage::create(double sampleRate, double ceilingDbtp, double step, int leadIn,
                                                   std::string& error)
{
    std::unique_ptr<CeilingStage> stage(new CeilingStage);
    stage->step_ = step;
    // Triangular dither reaches one step either way and the rounding half a step more.
    if (!stage->ceiling_.setup(sampleRate, ceilingDbtp, 1.5 * step)) {
        std::ostringstream message;
        message << "--true-peak " << ceilingDbtp << ": the ceiling must lie between -60 and +6 dBTP";
        error = message.str();
        return nullptr;
    }
    stage->ceiling_.reset(leadIn);
    return stage;
}

void CeilingStage::process(StereoBlock& block)
{
    const std::size_t n = block.frames;
    left_.assign(block.left, block.left + n);
    right_.assign(block.right, block.right + n);
    gains_.resize(n);
    const double* in[2] = {left_.data(), right_.data()};
    double* out[2] = {left_.data(), right_.data()};
    ceiling_.process(in, out, static_cast<std::int32_t>(n), gains_.data());
    if (keeping_)
        for (std::size_t i = 0; i < n; ++i) {
            if (skip_ > 0)
                --skip_;
            else
                kept_.push_back(static_cast<float>(gains_[i]));
        }
    for (std::size_t i = 0; i < n; ++i) {
        double l = left_[i], r = right_[i];
        if (step_ > 0.0) {
            l += step_ * (uniform(noiseState_) + uniform(noiseState_));
            r += step_ * (uniform(noiseState_) + uniform(noiseState_));
        }
        block.left[i] = static_cast<float>(l);
        block.right[i] = static_cast<float>(r);
    }
}

const float* CeilingStage::nextGains(std::size_t frames)
{
    handed_.assign(frames, 1.0f);
    for (std::size_t i = 0; i < frames && !kept_.empty(); ++i) {
        handed_[i] = kept_.front();
        kept_.pop_front();
    }
    return handed_.data();
}

double CeilingStage::largestReductionDb() const { return -20.0 * std::log10(ceiling_.smallestGain()); }

}  // namespace Render
