// The look-ahead limiter's signal path, with nothing of a host: gain computer with a two-stage
// release, look-ahead ramp, delay, make-up, clip, dither and meter gathering over blocks of
// double-precision stereo frames. The VST effect drives it from processBlock; other hosts can too.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

#include "limiter/GainFollower.h"
#include "limiter/Lanes.h"
#include "limiter/MeterBlock.h"
#include "limiter/MeterSink.h"
#include "limiter/VectorPasses.h"

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
    // The same for single-precision buffers, sample for sample what widening the inputs, the call above
    // and narrowing its outputs in the caller's rounding mode give; the inputs go straight into the delay
    // lines and the outputs are rounded as they are written, with no buffers between.
    void process(const LimiterSettings& settings, bool settingsChanged, const float* const* inputs,
                 float* const* outputs, std::int32_t frames);

    // Null (the start): nobody reads the meters and none are offered.
    void setMeterSink(MeterSink* sink) { meterSink = sink; }
    std::int32_t latency() const { return lookahead; }
    const MeterBlock& meters() const { return meterBlock; }
    double currentGainLog() const { return follower.smoothed; }

private:
    template <class Sample>
    void run(const LimiterSettings& settings, bool settingsChanged, const Sample* const* inputs,
             Sample* const* outputs, std::int32_t frames);
    void updateCoefficients(const LimiterSettings& settings);
    void compactLines();
    void foldMeters();
    void publish(MeterSink& sink);

    MeterSink* meterSink = nullptr;
    MeterBlock meterBlock;

    // Three lines share one allocation and one write position, since every frame advances all three
    // together: the left and right inputs and the smoothed gain reductions. Each holds the last
    // `lookahead` frames before the position, oldest first, so the delayed frames and the follower's
    // history are read straight on, without a wrap per frame; when a stretch would run past the end, the
    // last look-ahead of each moves to the front.
    std::int32_t lookahead = 0;
    std::int32_t lineCapacity = 0;
    std::unique_ptr<double[]> delayStorage;
    std::int32_t linePosition = 0;

    GainFollower::State follower;
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
    double power[2] = {0.0, 0.0};  // the smoothed squares, float values kept in doubles
    std::int32_t sampleCounter = 0;
    std::int32_t meterInterval = 0;
    std::int32_t holdPublishes = 50;
    std::int32_t holdCount[2] = {0, 0};

    // Meter extremes gathered since they were last folded into the MeterBlock.
    VectorPasses::MeterExtremes extremes = {{0.0, 0.0}, {0.0, 0.0}, HUGE_VAL};
    // The dither states of the next frame's four draws.
    Lanes::Quad ditherLanes = {0, 0, 0, 0};

    // Per-frame intermediates of one stretch of a block: the level logarithms, the gains, the clipped
    // output before the dither and the dither noise per channel (where single-precision output that the
    // vector passes cannot round themselves is put together before it is rounded), and the smoothed
    // power (left, right side by side). Fixed in size, so processing never allocates.
    static constexpr std::int32_t stretch = 256;
    double levelLog[stretch];
    double frameGain[stretch];
    double shapedLeft[stretch];
    double shapedRight[stretch];
    double noiseLeft[stretch];
    double noiseRight[stretch];
    double framePower[2 * stretch];
};
