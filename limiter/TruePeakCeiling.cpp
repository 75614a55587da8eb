#include "limiter/TruePeakCeiling.h"

#include <algorithm>
#include <cmath>

namespace {

// The attack: the gain reaches a request over this long, a linear-phase ramp that keeps the sidebands of
// the gain change under the signal. Release: the time constant back to unity; shorter ones modulate low
// tones audibly, longer ones hold the level down for no gain.
constexpr double attackSeconds = 0.001;
constexpr double releaseSeconds = 0.080;
// Each request is held this long before it may release, so the troughs between the peaks of a bass tone
// (10 ms apart at 50 Hz, 25 ms at 20 Hz) do not make the gain ripple with them.
constexpr double holdSeconds = 0.025;
// The interpolator's taps that matter beyond the peak's own stretch: frames this far on either side of a
// peak are lowered with it, so the interpolated points around it come down too.
constexpr std::int32_t neighbourFrames = 3;
// Kept free under the ceiling for the gain's own movement between the frames and for what the detector
// models only nearly: ffmpeg's meter resamples to 192 kHz, not four times the rate, and reads bright noise up
// to 0.11 dB above the detector's model of it (in a hundred files of white noise).
constexpr double marginDb = 0.15;
// A released gain this close to unity (within 0.00001 dB) is unity: the curve never reaches 1 by itself in floating
// point.
constexpr double unitySnap = 1e-6;

}  // namespace

bool TruePeakCeiling::setup(double sampleRate, double ceilingDbtp, double allowance)
{
    if (!(sampleRate >= 1000.0 && sampleRate <= 1e6) || !std::isfinite(ceilingDbtp) || ceilingDbtp > 6.0 ||
        ceilingDbtp < -60.0 || !(allowance >= 0.0))
        return false;
    ceiling = std::pow(10.0, (ceilingDbtp - marginDb) / 20.0) - allowance;
    if (!(ceiling > 0.0))
        return false;
    attackFrames = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(attackSeconds * sampleRate)));
    holdFrames = attackFrames + 2 * neighbourFrames + static_cast<std::int32_t>(std::lround(holdSeconds * sampleRate));
    releaseCoeff = 1.0 - std::exp(-1.0 / (releaseSeconds * sampleRate));
    // A request for detector frame j governs the output frames j - neighbourFrames .. j + neighbourFrames;
    // the hold looks attackFrames - 1 + neighbourFrames ahead of the frame it answers for.
    delayFrames = InterSamplePeak::latency + attackFrames - 1 + neighbourFrames;
    holdValues.assign(holdFrames, 1.0);
    holdFrameNumbers.assign(holdFrames, 0);
    shortfalls.assign(attackFrames, 0.0);
    for (auto& line : delayLine)
        line.assign(static_cast<std::size_t>(delayFrames + InterSamplePeak::maxFrames), 0.0);
    reset();
    return true;
}

void TruePeakCeiling::reset(std::int32_t leadIn)
{
    detector.reset(leadIn);
    holdFront = holdCount = 0;
    frameNumber = 0;
    released = 1.0;
    std::fill(shortfalls.begin(), shortfalls.end(), 0.0);
    shortfallPosition = 0;
    shortfallSum = 0.0;
    nonZeroShortfalls = 0;
    for (auto& line : delayLine)
        std::fill(line.begin(), line.end(), 0.0);
    smallest = 1.0;
}

double TruePeakCeiling::requestedGain(double peak) const
{
    // A non-finite peak asks for silence rather than letting the infinity or NaN through unlowered.
    if (!(peak <= ceiling))
        return std::isfinite(peak) ? ceiling / peak : 0.0;
    return 1.0;
}

double TruePeakCeiling::nextGain(double request)
{
    // The sliding minimum: drop candidates from the back that the new request undercuts, then the front
    // once it has left the window.
    const auto wrapped = [this](std::int32_t index) { return index >= holdFrames ? index - holdFrames : index; };
    while (holdCount > 0 && holdValues[wrapped(holdFront + holdCount - 1)] >= request)
        --holdCount;
    const std::int32_t slot = wrapped(holdFront + holdCount);
    holdValues[slot] = request;
    holdFrameNumbers[slot] = frameNumber;
    ++holdCount;
    if (holdFrameNumbers[holdFront] <= frameNumber - holdFrames) {
        holdFront = holdFront + 1 == holdFrames ? 0 : holdFront + 1;
        --holdCount;
    }
    ++frameNumber;
    const double held = holdValues[holdFront];

    // Attack at once (the averaging below makes the ramp), release along the one-pole curve.
    released = std::min(held, released + (1.0 - released) * releaseCoeff);
    if (released > 1.0 - unitySnap)
        released = 1.0;

    const double shortfall = 1.0 - released;
    double& oldest = shortfalls[shortfallPosition];
    nonZeroShortfalls += (shortfall != 0.0) - (oldest != 0.0);
    shortfallSum += shortfall - oldest;
    oldest = shortfall;
    shortfallPosition = shortfallPosition + 1 == attackFrames ? 0 : shortfallPosition + 1;
    if (nonZeroShortfalls == 0)
        shortfallSum = 0.0;
    return std::min(1.0, 1.0 - shortfallSum / attackFrames);
}

void TruePeakCeiling::process(const double* const* inputs, double* const* outputs, std::int32_t frames, double* gains)
{
    constexpr std::int32_t chunk = InterSamplePeak::maxFrames;
    double peaks[chunk], chunkGains[chunk];
    for (std::int32_t done = 0; done < frames;) {
        const std::int32_t n = std::min(frames - done, chunk);
        detector.process(inputs[0] + done, inputs[1] + done, n, peaks);
        double* gain = gains ? gains + done : chunkGains;
        for (std::int32_t i = 0; i < n; ++i)
            gain[i] = nextGain(requestedGain(peaks[i]));
        for (int channel = 0; channel < 2; ++channel) {
            // The line holds the last delayFrames frames before this chunk, then the chunk: frame i of
            // the output is the line's frame i. A gain of exactly 1 leaves every value as it is.
            double* line = delayLine[channel].data();
            std::copy(inputs[channel] + done, inputs[channel] + done + n, line + delayFrames);
            double* out = outputs[channel] + done;
            for (std::int32_t i = 0; i < n; ++i)
                out[i] = line[i] * gain[i];
            std::copy(line + n, line + n + delayFrames, line);
        }
        for (std::int32_t i = 0; i < n; ++i)
            smallest = std::min(smallest, gain[i]);
        done += n;
    }
}
