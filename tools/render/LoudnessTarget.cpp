#include "tools/render/LoudnessTarget.h"

#include <cmath>
#include <cstdio>

namespace Render {

namespace {

std::string lufs(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f LUFS", value);
    return text;
}

}  // namespace

TargetResult searchThreshold(const TargetSearch& search, const std::function<std::optional<double>(float)>& loudnessAt)
{
    TargetResult result;
    const double target = search.targetLufs;
    auto measure = [&](float threshold) {
        ++result.passes;
        return loudnessAt(threshold);
    };
    auto finish = [&](float threshold, double loudness) {
        result.threshold = threshold;
        result.loudnessLufs = loudness;
        result.reached = std::fabs(loudness - target) <= search.toleranceLu;
        return result;
    };

    // The quietest the limiter can make it: threshold 0 dB, which leaves the level as it is.
    const std::optional<double> quietest = measure(1.0f);
    if (!quietest)
        return result;
    if (*quietest >= target - search.toleranceLu) {
        finish(1.0f, *quietest);
        if (!result.reached)
            result.reason = "the input is already louder than " + lufs(target) + " at a threshold of 0 dB (" +
                            lufs(*quietest) + "); a limiter does not make it quieter";
        return result;
    }
    // The loudest: threshold -20 dB with all of it given back.
    const std::optional<double> loudest = measure(0.0f);
    if (!loudest)
        return result;
    if (*loudest <= target + search.toleranceLu) {
        finish(0.0f, *loudest);
        if (!result.reached)
            result.reason =
                lufs(target) + " is beyond reach: at the lowest threshold, -20 dB, the loudness is " + lufs(*loudest);
        return result;
    }

    // Illinois: a secant step inside the bracket, halving the weight of an end that stays put twice.
    double lowT = 0.0, lowError = *loudest - target;     // louder than the target
    double highT = 1.0, highError = *quietest - target;  // quieter
    enum { neither, low, high } lastMoved = neither;
    double bestT = 1.0, bestLoudness = *quietest;
    while (result.passes < search.maxPasses) {
        double t = lowT - lowError * (highT - lowT) / (highError - lowError);
        if (!(t > lowT && t < highT))
            t = 0.5 * (lowT + highT);
        const std::optional<double> loudness = measure(static_cast<float>(t));
        if (!loudness)
            return result;
        const double error = *loudness - target;
        if (std::fabs(error) < std::fabs(bestLoudness - target))
            bestT = t, bestLoudness = *loudness;
        if (std::fabs(error) <= search.toleranceLu)
            break;
        if (error > 0.0) {
            lowT = t, lowError = error;
            if (lastMoved == low)
                highError *= 0.5;
            lastMoved = low;
        } else {
            highT = t, highError = error;
            if (lastMoved == high)
                lowError *= 0.5;
            lastMoved = high;
        }
        if (highT - lowT < 1e-6)
            break;
    }
    finish(static_cast<float>(bestT), bestLoudness);
    if (!result.reached)
        result.reason =
            "after " + std::to_string(result.passes) + " renders the nearest loudness found was " + lufs(bestLoudness);
    return result;
}

}  // namespace Render
