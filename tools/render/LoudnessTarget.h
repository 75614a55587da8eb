// Finding the limiter's threshold that brings a render to a loudness target. With the make-up at 100 %
// every dB the threshold goes down is a dB of gain before the limiter, so the integrated loudness rises
// as the threshold falls, steeply at first and then less as the limiting eats the peaks: a smooth,
// monotonic curve that a bracketing secant search (Illinois) meets within 0.05 LU in a few renders.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace Render {

struct TargetSearch {
    double targetLufs = -14.0;
    double toleranceLu = 0.05;  // what the search aims for; 0.1 LU is what it promises
    int maxPasses = 12;
};

struct TargetResult {
    bool reached = false;
    float threshold = 1.0f;     // normalized, 0 (-20 dB) to 1 (0 dB), at make-up 100 %
    double loudnessLufs = 0.0;  // what that threshold gives; when not reached, the nearest there is
    int passes = 0;             // renders it took
    std::string reason;         // when not reached: why, in the user's words
};

// `loudnessAt(threshold)` renders at that normalized threshold (make-up 100 %) and gives the integrated
// loudness, or nothing when the render failed or the audio has no loudness (silence), which ends the
// search with `reason` left empty for the caller to fill.
TargetResult searchThreshold(const TargetSearch& search, const std::function<std::optional<double>(float)>& loudnessAt);

}  // namespace Render
