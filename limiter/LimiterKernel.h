// The look-ahead limiter's signal path, with nothing of a host: gain computer with a two-stage
// release, look-ahead ramp, delay, make-up, clip, dither and meter gathering over blocks of
// double-precision stereo frames. The VST effect drives it from processBlock; other hosts can too.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

#include "limiter/Lanes.h"
#include "limiter/MeterBlock.h"
#include "limiter/MeterSink.h"

// What a block is processed with: the five normalized parameter values (0..1) and the sample rate.
struct LimiterSettings {
    float threshold;
    float release;
    float makeup;
    float meterScale;
    float dither;
    float sampleRate;
};

class LimiterKernel {
public:
    // Sizes the look-ahead and the meter timing for the rate; the only place that allocates. Without
    // the memory for the delay, process writes silence.
    void setup(float sampleRate);
    // Clears the signal state (envelopes, gain, delay, meter smoothing).
    void reset();
    // `settingsChanged`: the settings may differ from the previous block's. Before setup nothing is
    // written.
    void process(const LimiterSettings& settings, bool settingsChanged, const double* const* inputs,
                 double* const* outputs, std::int32_t frames);

    // Null (the start): nobody reads the meters and none are offered.
    void setMeterSink(MeterSink* sink) { meterSink = sink; }
    std::int32_t latency() const { return lookahead; }
    const MeterBlock& meters() const { return meterBlock; }
    double currentGainLog() const { return gainLog; }

private:
    void updateCoefficients(const LimiterSettings& settings);
    void followGain(std::int32_t frames);
    void shapeOutput(const double* const* inputs, double* const* outputs, std::int32_t offset, std::int32_t first,
                     std::int32_t frames);
    void foldMeters();
    void publish(MeterSink& sink);

    MeterSink* meterSink = nullptr;
    MeterBlock meterBlock;

    // The three rings (left delay, right delay, gain history) share one allocation and, since every
    // frame advances all three together, one position.
    std::int32_t lookahead = 0;
    std::unique_ptr<double[]> delayStorage;
    std::int32_t ringPosition = 0;

    double envFast = 0.0;
    double envSlow = 0.0;
    double gainLog = 0.0;
    double inputGain = 1.0;
    double makeupGain = 1.0;
    double releaseCoeff = 0.0;
    double attackCoeff = 0.0;
    double releaseComp = 1.0;
    bool wideScale = false;
    bool dither24 = false;
    bool needsUpdate = false;

    float powerCoeff = 0.0f;
    float meterDecay = 0.0f;
    float power[2] = {0.0f, 0.0f};
    std::int32_t sampleCounter = 0;
    std::int32_t meterInterval = 0;
    std::int32_t holdPublishes = 50;
    std::int32_t holdCount[2] = {0, 0};

    // Meter extremes gathered since they were last folded into the MeterBlock: largest |output| and
    // smoothed power per channel, smallest gain.
    Lanes::Pair meterPeak = {0.0, 0.0};
    Lanes::Pair meterPower = {0.0, 0.0};
    double meterGain = HUGE_VAL;
    // The dither states of the next frame's four draws.
    Lanes::Quad ditherLanes = {0, 0, 0, 0};

    // Per-frame intermediates of one stretch of a block: the level logarithms, the gain follower's
    // output turned into the gain, and the dither noise. Fixed in size, so processing never allocates.
    static constexpr std::int32_t stretch = 256;
    double levelLog[stretch];
    double frameGain[stretch];
    Lanes::Pair frameNoise[stretch];  // the dither noise, left and right
};
