// A look-ahead gain stage that keeps a stereo signal's true peak (the band-limited signal between the
// samples, as loudness meters measure it) at or under a ceiling, without clipping anything.
//
// Each frame's inter-sample peak (InterSamplePeak) asks for the gain that brings it to the ceiling. The
// gain applied to the delayed signal is the smallest of those requests over a window around the frame
// (so the frames the interpolator reads around a peak are lowered with it), released towards unity with
// a one-pole curve, and then averaged over the attack window: a smooth curve that is everywhere at or
// under every request that matters, reaches it before the peak leaves the delay, and is exactly 1 where
// nothing needs lowering, so a signal already under the ceiling passes bit for bit.
#pragma once

#include <cstdint>
#include <vector>

#include "limiter/InterSamplePeak.h"

class TruePeakCeiling {
public:
    // Sizes the delays for the rate (the only place that allocates) and clears the state. The ceiling is
    // in dBTP; `allowance` is a linear amplitude kept free under it for what comes after the stage (the
    // dither and rounding of a PCM file). False for a rate or ceiling it cannot work with.
    bool setup(double sampleRate, double ceilingDbtp, double allowance = 0.0);
    // Clears the state. The first `leadIn` frames to come precede the signal (the latency of a plug-in
    // before the stage): the signal's start is read as beginning after them.
    void reset(std::int32_t leadIn = 0);
    // Frames by which the output is late.
    std::int32_t latency() const { return delayFrames; }
    // Stereo; the outputs may be the inputs. `gains`, when given, receives each output frame's gain.
    void process(const double* const* inputs, double* const* outputs, std::int32_t frames, double* gains = nullptr);
    // The smallest gain applied since the last reset (1 when nothing was lowered).
    double smallestGain() const { return smallest; }

private:
    double requestedGain(double peak) const;
    double nextGain(double request);

    InterSamplePeak detector;
    double ceiling = 1.0;
    double releaseCoeff = 0.0;
    std::int32_t attackFrames = 1;
    std::int32_t holdFrames = 1;
    std::int32_t delayFrames = 0;

    // The smallest request over the hold window: a queue of candidates (value, frame number) whose values
    // rise from front to back, in a ring of holdFrames entries.
    std::vector<double> holdValues;
    std::vector<std::int64_t> holdFrameNumbers;
    std::int32_t holdFront = 0;
    std::int32_t holdCount = 0;
    std::int64_t frameNumber = 0;

    double released = 1.0;
    // The attack window's shortfalls from unity, their sum, and how many of them are not zero (when none
    // is, the sum is set to exactly zero, so unity comes back exactly).
    std::vector<double> shortfalls;
    std::int32_t shortfallPosition = 0;
    double shortfallSum = 0.0;
    std::int32_t nonZeroShortfalls = 0;

    // The signal's delay, per channel: the last delayFrames frames, then room for a chunk.
    std::vector<double> delayLine[2];

    double smallest = 1.0;
};
