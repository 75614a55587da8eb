#include <algorithm>
#include <cmath>
#include <new>

#include "limiter/LimiterKernel.h"

#include "limiter/Dither.h"
#include "limiter/RoundingMode.h"
#include "limiter/VectorPasses.h"

namespace {

constexpr double flushLimit = 1e-15;
// 1 / (1 - e^-1) cut after five decimals, as single-precision constants whose difference is 1. Floats
// kept in doubles on purpose: the output is defined with these very values, not the exact constant.
constexpr double rampTarget = 1.58197f;
constexpr double rampHistory = 0.58197f;
// Beyond a few seconds of look-ahead the rate is nonsense; the ring stays bounded.
constexpr double maxLookahead = 1 << 20;

// The flush to zero of a value known not to be negative (levels and envelopes, which start at 0 and
// move toward non-negative levels): no absolute value needed on the recurrence's critical path.
double flushedNonNegative(double x) { return x > flushLimit ? x : 0.0; }

// A positive whole number of frames from a rate times a duration, truncated and kept within [low, high].
std::int32_t framesOf(double product, std::int32_t low, double high)
{
    if (!(product >= low))
        return low;
    return static_cast<std::int32_t>(std::min(product, high));
}

}  // namespace

void LimiterKernel::setup(float sampleRate)
{
    const float sr = sampleRate;
    // Both factors are single precision; their product is exact in double.
    lookahead = framesOf(static_cast<double>(sr) * static_cast<double>(0.0005f), 1, maxLookahead);
    ringPosition = 0;
    delayStorage.reset();
    delayStorage.reset(new (std::nothrow) double[3 * static_cast<std::size_t>(lookahead)]);

    meterInterval = framesOf(static_cast<double>(sr) * static_cast<double>(0.02f), 0, 1 << 30);
    holdPublishes = 50;
    needsUpdate = true;
    powerCoeff = static_cast<float>(1.0 - std::exp(-1.0 / (static_cast<double>(sr) * static_cast<double>(0.03f))));
    meterDecay = static_cast<float>(std::exp(-0.1));
}

void LimiterKernel::reset()
{
    if (!delayStorage)
        return;
    gainLog = envFast = envSlow = 0.0;
    holdCount[0] = holdCount[1] = 0;
    power[0] = power[1] = 0.0f;
    sampleCounter = 0;
    std::fill(delayStorage.get(), delayStorage.get() + 3 * static_cast<std::size_t>(lookahead), 0.0);
    ringPosition = 0;
}

void LimiterKernel::updateCoefficients(const LimiterSettings& settings)
{
    const double sr = settings.sampleRate;
    const double t = settings.threshold;
    const double r = settings.release;
    const double m = settings.makeup;

    inputGain = std::pow(10.0, 1.0 - t);
    makeupGain = std::pow(10.0, m * (1.0 - t));
    const double releaseFrames = std::pow(10.0, 2.0 * r - 2.0) * sr;
    releaseCoeff = 1.0 - std::exp(-1.0 / releaseFrames);
    attackCoeff = 1.0 - std::exp(-1.0 / lookahead);

    // u^L by repeated squaring; 1 / sqrt(u^L) = exp(L / (2 R)).
    double power = 1.0, base = 1.0 - releaseCoeff;
    for (std::int32_t n = lookahead; n; n >>= 1) {
        if (n & 1)
            power *= base;
        base *= base;
    }
    releaseComp = 1.0 / std::sqrt(power);

    wideScale = 0.5f < settings.meterScale;
    dither24 = 0.5f < settings.dither;
    needsUpdate = false;
}

void LimiterKernel::process(const LimiterSettings& settings, bool settingsChanged, const double* const* inputs,
                            double* const* outputs, std::int32_t frames)
{
    if (!delayStorage) {
        // Set up but without memory for the delay: silence rather than stale buffers.
        if (lookahead > 0)
            for (int c = 0; c < 2; ++c)
                std::fill(outputs[c], outputs[c] + frames, 0.0);
        return;
    }
    // Toward zero for the whole block, restored afterwards: the output is defined with that arithmetic
    // (the reference test holds it to the bit), and one switch per block costs nothing per frame.
    TowardZeroRounding rounding;
    if (settingsChanged || needsUpdate)
        updateCoefficients(settings);

    MeterSink* const sink = meterSink;  // without one nothing is ever published
    std::uint32_t state = Dither::claim(4u * static_cast<std::uint32_t>(frames));
    for (int lane = 0; lane < 4; ++lane)
        ditherLanes[lane] = Dither::next(state);  // the first frame's four draws
    const double ditherAmplitude = dither24 ? Dither::amplitude24 : Dither::amplitude16;

    // Each stretch runs in passes, every frame seeing the same operations in the same order as one frame
    // at a time would: the level logarithms, the gain follower's recurrence alone, the gains'
    // exponentials, the dither noise, then delay, clip, meters and output up to each publish. The passes
    // without a chain from frame to frame run several frames at once; the two with one (the follower's
    // recurrence, the meters' power smoothing) keep their state in registers.
    for (std::int32_t done = 0; done < frames;) {
        const std::int32_t n = std::min(stretch, frames - done);
        VectorPasses::levelLogs(inputs[0] + done, inputs[1] + done, levelLog, n, inputGain, releaseComp);
        followGain(n);
        VectorPasses::gainsFromReductions(frameGain, n);
        VectorPasses::ditherNoise(ditherLanes, frameNoise, n, ditherAmplitude);
        for (std::int32_t at = 0; at < n;) {
            const std::int32_t untilPublish = sink ? std::max(1, meterInterval + 1 - sampleCounter) : n;
            const std::int32_t segment = std::min(n - at, untilPublish);
            shapeOutput(inputs, outputs, done + at, at, segment);
            at += segment;
            // Without a sink the counter only has to stay past the interval.
            sampleCounter = std::min(sampleCounter + segment, meterInterval + 1);
            if (sink && sampleCounter > meterInterval) {
                foldMeters();
                publish(*sink);
            }
        }
        foldMeters();
        done += n;
    }
}

void LimiterKernel::followGain(std::int32_t n)
{
    // The state lives in locals: the stores into the arrays could otherwise alias it.
    double fast = envFast, slow = envSlow, smoothed = gainLog;
    const double release = releaseCoeff, attack = attackCoeff;
    double* const history = delayStorage.get() + 2 * static_cast<std::size_t>(lookahead);
    std::int32_t ring = ringPosition;
    for (std::int32_t i = 0; i < n; ++i) {
        const double w = levelLog[i];
        fast = w > fast ? w : flushedNonNegative(fast + release * (w - fast));
        slow = fast > slow ? fast : flushedNonNegative(slow + release * (fast - slow));
        const double old = history[ring];
        const double c = smoothed + attack * ((slow * rampTarget - smoothed) - old * rampHistory);
        // Flushing c and capping it by envSlow both start from c; envSlow is never negative, so a
        // flushed c stays 0 under the cap.
        smoothed = std::fabs(c) > flushLimit ? (c > slow ? slow : c) : 0.0;
        history[ring] = smoothed;
        frameGain[i] = smoothed;
        if (++ring == lookahead)
            ring = 0;
    }
    envFast = fast;
    envSlow = slow;
    gainLog = smoothed;
}

void LimiterKernel::shapeOutput(const double* const* inputs, double* const* outputs, std::int32_t offset,
                                std::int32_t first, std::int32_t count)
{
    using Lanes::Pair;
    double* const delayLeft = delayStorage.get();
    double* const delayRight = delayLeft + lookahead;
    const double* const inLeft = inputs[0] + offset;
    const double* const inRight = inputs[1] + offset;
    double* const outLeft = outputs[0] + offset;
    double* const outRight = outputs[1] + offset;
    const double* const gains = frameGain + first;
    const Pair* const noise = frameNoise + first;

    const double makeup = makeupGain;
    const Pair coeff = Lanes::splat(powerCoeff);
    Pair smoothedPower = {power[0], power[1]};
    Pair peak = meterPeak, loudest = meterPower;
    double quietest = meterGain;
    std::int32_t position = ringPosition;

    // In runs that end where the delay rings wrap, so the rings are walked by plain pointers.
    for (std::int32_t i = 0; i < count;) {
        const std::int32_t run = std::min(count - i, lookahead - position);
        double* const ringLeft = delayLeft + position;
        double* const ringRight = delayRight + position;
        for (std::int32_t k = 0; k < run; ++k, ++i) {
            const double gain = gains[i];
            const Pair delayed = {ringLeft[k], ringRight[k]};
            ringLeft[k] = inLeft[i];
            ringRight[k] = inRight[i];

            quietest = std::min(quietest, gain);
            const Pair v = Lanes::clipped(delayed * Lanes::splat(gain * makeup));
            // Smoothed squares are never negative.
            smoothedPower = Lanes::flushedToFloat(smoothedPower + coeff * (v * v - smoothedPower), flushLimit);
            peak = Lanes::larger(peak, Lanes::abs(v));
            loudest = Lanes::larger(loudest, smoothedPower);

            const Pair out = v + noise[i];
            outLeft[i] = out[0];
            outRight[i] = out[1];
        }
        position += run;
        if (position == lookahead)
            position = 0;
    }
    power[0] = static_cast<float>(smoothedPower[0]);
    power[1] = static_cast<float>(smoothedPower[1]);
    meterPeak = peak;
    meterPower = loudest;
    meterGain = quietest;
    ringPosition = position;
}

// The float conversion is monotonic, so a stretch's extreme moves each meter exactly as its frames
// would have one by one.
void LimiterKernel::foldMeters()
{
    if (meterGain < meterBlock.minGain)
        meterBlock.minGain = static_cast<float>(meterGain);
    for (int ch = 0; ch < 2; ++ch) {
        if (meterPeak[ch] > meterBlock.outPeak[ch])
            meterBlock.outPeak[ch] = static_cast<float>(meterPeak[ch]);
        if (meterPeak[ch] > meterBlock.peakHold[ch]) {
            meterBlock.peakHold[ch] = static_cast<float>(meterPeak[ch]);
            holdCount[ch] = 0;
        }
        if (meterPower[ch] > meterBlock.outPower[ch])
            meterBlock.outPower[ch] = static_cast<float>(meterPower[ch]);
    }
    meterPeak = Lanes::Pair{0.0, 0.0};
    meterPower = Lanes::Pair{0.0, 0.0};
    meterGain = HUGE_VAL;
}

void LimiterKernel::publish(MeterSink& sink)
{
    meterBlock.wideScale = wideScale;
    if (sink.offerMeters(meterBlock))
        sampleCounter = 0;
    for (int ch = 0; ch < 2; ++ch) {
        meterBlock.outPeak[ch] *= meterDecay;
        meterBlock.outPower[ch] = 0.0f;
        if (holdCount[ch] == holdPublishes)
            meterBlock.peakHold[ch] *= meterDecay;
        else
            ++holdCount[ch];
    }
    meterBlock.minGain = 1.0f;
}
