// The true-peak ceiling after the plug-in, as a stage of the render chain, and the dither that must then
// come after it when the file is PCM: the plug-in's own dither was made before the ceiling's gain, so the
// file's word length is dithered again, and the ceiling keeps that dither's and the rounding's reach free
// under itself so the file as written stays under the ceiling.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "limiter/TruePeakCeiling.h"
#include "tools/render/RenderChain.h"

namespace Render {

class CeilingStage : public Stage {
public:
    // `step` is the file's quantization step (0 for floating point or a lossy file: no dither);
    // `leadIn` the frames that come before the file's first (the latency of the stages before this one).
    // Null with a message for a ceiling the stage cannot hold.
    static std::unique_ptr<CeilingStage> create(double sampleRate, double ceilingDbtp, double step, int leadIn,
                                                std::string& error);
    int latency() const override { return ceiling_.latency(); }
    void process(StereoBlock& block) override;
    // The stage's largest reduction so far, in dB (0 when it lowered nothing).
    double largestReductionDb() const;
    // For the picture: from now on every frame's gain is kept until nextGains hands it out, the first
    // `skip` frames (the chain's compensated latency, never shown) dropped.
    void keepGains(std::size_t skip) { keeping_ = true, skip_ = skip; }
    // The gains of the next `frames` frames the chain puts out (1 for frames not yet made).
    const float* nextGains(std::size_t frames);

private:
    CeilingStage() = default;

    TruePeakCeiling ceiling_;
    double step_ = 0.0;
    std::uint32_t noiseState_ = 0x9E3779B9u;
    std::vector<double> left_, right_, gains_;
    bool keeping_ = false;
    std::size_t skip_ = 0;
    std::deque<float> kept_;
    std::vector<float> handed_;
};

}  // namespace Render
