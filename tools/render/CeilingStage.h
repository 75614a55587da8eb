// The true-peak ceiling after the plug-in, as a stage of the render chain, and the dither that must then
// come after it when the file is PCM: the plug-in's own dither was made before the ceiling's gain, so the
// file's word length is dithered again, and the ceiling keeps that dither's and the rounding's reach free
// under itself so the file as written stays under the ceiling.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "limiter/TruePeakCeiling.h"
#include "tools/render/RenderChain.h"

namespace Render {

class CeilingStage : public Stage {
public:
    // `step` is the file's quantization step (0 for floating point or a lossy file: no dither). Null
    // with a message for a ceiling the stage cannot hold.
    static std::unique_ptr<CeilingStage> create(double sampleRate, double ceilingDbtp, double step, std::string& error);
    int latency() const override { return ceiling_.latency(); }
    void process(StereoBlock& block) override;
    // The stage's largest reduction so far, in dB (0 when it lowered nothing).
    double largestReductionDb() const;
    // Each frame's gain in the last block, for the picture.
    const std::vector<double>& gains() const { return gains_; }

private:
    CeilingStage() = default;

    TruePeakCeiling ceiling_;
    double step_ = 0.0;
    std::uint32_t noiseState_ = 0x9E3779B9u;
    std::vector<double> left_, right_, gains_;
};

}  // namespace Render
