#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "limiter/LimiterKernel.h"

#include "limiter/Dither.h"
#include "limiter/RoundingMode.h"
#include "limiter/VectorPasses.h"

namespace {

// Beyond a few seconds of look-ahead the rate is nonsense; the lines stay bounded.
constexpr double maxLookahead = 1 << 20;

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
    // Room for a look-ahead of history and at least a look-ahead and a stretch past it, so the lines
    // move at most once per look-ahead of frames.
    lineCapacity = 2 * lookahead + stretch;
    linePosition = lookahead;
    delayStorage.reset();
    delayStorage.reset(new (std::nothrow) double[3 * static_cast<std::size_t>(lineCapacity)]);

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
    follower = GainFollower::State{};
    holdCount[0] = holdCount[1] = 0;
    power[0] = power[1] = 0.0;
    sampleCounter = 0;
    std::fill(delayStorage.get(), delayStorage.get() + 3 * static_cast<std::size_t>(lineCapacity), 0.0);
    linePosition = lookahead;
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

void LimiterKernel::compactLines()
{
    const std::size_t kept = static_cast<std::size_t>(lookahead);
    for (int line = 0; line < 3; ++line) {
        double* const start = delayStorage.get() + static_cast<std::size_t>(line) * lineCapacity;
        std::memmove(start, start + (linePosition - lookahead), kept * sizeof(double));
    }
    linePosition = lookahead;
}

namespace {

// The inputs join the delay lines: single precision widens exactly.
void intoLine(double* line, const double* from, std::int32_t n)
{
    std::memcpy(line, from, sizeof(double) * static_cast<std::size_t>(n));
}

void intoLine(double* line, const float* from, std::int32_t n)
{
    for (std::int32_t i = 0; i < n; ++i)
        line[i] = from[i];
}

// Output put together in double precision, rounded in the mode of the moment.
void narrowed(float* to, const double* from, std::int32_t n)
{
    for (std::int32_t i = 0; i < n; ++i)
        to[i] = static_cast<float>(from[i]);
}

}  // namespace

void LimiterKernel::process(const LimiterSettings& settings, bool settingsChanged, const double* const* inputs,
                            double* const* outputs, std::int32_t frames)
{
    run(settings, settingsChanged, inputs, outputs, frames);
}

void LimiterKernel::process(const LimiterSettings& settings, bool settingsChanged, const float* const* inputs,
                            float* const* outputs, std::int32_t frames)
{
    run(settings, settingsChanged, inputs, outputs, frames);
}

template <class Sample>
void LimiterKernel::run(const LimiterSettings& settings, bool settingsChanged, const Sample* const* inputs,
                        Sample* const* outputs, std::int32_t frames)
{
    if (!delayStorage) {
        // Set up but without memory for the delay: silence rather than stale buffers.
        if (lookahead > 0)
            for (int c = 0; c < 2; ++c)
                std::fill(outputs[c], outputs[c] + frames, Sample(0));
        return;
    }
    // Toward zero for the whole block, restored afterwards: the output is defined with that arithmetic
    // (the reference test holds it to the bit), and one switch per block costs nothing per frame.
    TowardZeroRounding rounding;
    if (settingsChanged || needsUpdate)
        updateCoefficients(settings);
    // Single-precision output is rounded in the caller's mode, as the caller's own conversion would: by
    // the vector passes as they write it where they can round to nearest and that is the caller's mode,
    // else put together in double precision and rounded per stretch in the caller's mode.
    constexpr bool single = sizeof(Sample) == sizeof(float);
    const bool roundedAsWritten =
        single && rounding.callersMode() == FE_TONEAREST && VectorPasses::roundsToSingle();

    MeterSink* const sink = meterSink;  // without one nothing is ever published
    std::uint32_t state = Dither::claim(4u * static_cast<std::uint32_t>(frames));
    for (int lane = 0; lane < 4; ++lane)
        ditherLanes[lane] = Dither::next(state);  // the first frame's four draws
    const double ditherAmplitude = dither24 ? Dither::amplitude24 : Dither::amplitude16;

    // Each stretch runs in passes, every frame seeing the same operations in the same order as one frame
    // at a time would: the main pass (the level logarithms, the follower's recurrence, and behind it the
    // gains, delay, clip and the meters' power smoothing); the dither noise; then the output and the
    // meters' extremes up to each publish.
    double* const lineLeft = delayStorage.get();
    double* const lineRight = lineLeft + lineCapacity;
    double* const history = lineRight + lineCapacity;
    for (std::int32_t done = 0; done < frames;) {
        const std::int32_t n = std::min(stretch, frames - done);
        if (linePosition + n > lineCapacity)
            compactLines();
        const std::int32_t at = linePosition, back = linePosition - lookahead;
        // The inputs join the lines first, so outputs may be the very buffers of the inputs.
        intoLine(lineLeft + at, inputs[0] + done, n);
        intoLine(lineRight + at, inputs[1] + done, n);
        VectorPasses::MainPass pass;
        pass.inputLeft = lineLeft + at;
        pass.inputRight = lineRight + at;
        pass.delayedLeft = lineLeft + back;
        pass.delayedRight = lineRight + back;
        pass.historyOld = history + back;
        pass.historyNew = history + at;
        pass.inputGain = inputGain;
        pass.compensation = releaseComp;
        pass.release = releaseCoeff;
        pass.attack = attackCoeff;
        pass.makeup = makeupGain;
        pass.powerCoeff = powerCoeff;
        pass.levels = levelLog;
        pass.gains = frameGain;
        pass.shapedLeft = shapedLeft;
        pass.shapedRight = shapedRight;
        pass.power = framePower;
        pass.follower = follower;
        pass.smoothedPower[0] = power[0];
        pass.smoothedPower[1] = power[1];
        VectorPasses::mainPass(pass, n);
        follower = pass.follower;
        power[0] = pass.smoothedPower[0];
        power[1] = pass.smoothedPower[1];
        linePosition += n;

        VectorPasses::ditherNoise(ditherLanes, noiseLeft, noiseRight, n, ditherAmplitude);
        for (std::int32_t first = 0; first < n;) {
            const std::int32_t untilPublish = sink ? std::max(1, meterInterval + 1 - sampleCounter) : n;
            const std::int32_t segment = std::min(n - first, untilPublish);
            VectorPasses::FinishPass finish{shapedLeft + first, shapedRight + first, noiseLeft + first,
                                            noiseRight + first, framePower + 2 * first, frameGain + first,
                                            nullptr,            nullptr};
            if constexpr (single) {
                if (roundedAsWritten) {
                    VectorPasses::finishOutputToSingle(finish, outputs[0] + done + first,
                                                       outputs[1] + done + first, segment, extremes);
                } else {
                    // Each frame's noise is read before its output takes its place.
                    finish.outLeft = noiseLeft + first;
                    finish.outRight = noiseRight + first;
                    VectorPasses::finishOutput(finish, segment, extremes);
                }
            } else {
                finish.outLeft = outputs[0] + done + first;
                finish.outRight = outputs[1] + done + first;
                VectorPasses::finishOutput(finish, segment, extremes);
            }
            first += segment;
            // Without a sink the counter only has to stay past the interval.
            sampleCounter = std::min(sampleCounter + segment, meterInterval + 1);
            if (sink && sampleCounter > meterInterval) {
                foldMeters();
                publish(*sink);
            }
        }
        if constexpr (single) {
            if (!roundedAsWritten) {
                TowardZeroRounding::CallersRounding callers(rounding);
                narrowed(outputs[0] + done, noiseLeft, n);
                narrowed(outputs[1] + done, noiseRight, n);
            }
        }
        foldMeters();
        done += n;
    }
}

// The float conversion is monotonic, so a stretch's extreme moves each meter exactly as its frames
// would have one by one.
void LimiterKernel::foldMeters()
{
    if (extremes.gain < meterBlock.minGain)
        meterBlock.minGain = static_cast<float>(extremes.gain);
    for (int ch = 0; ch < 2; ++ch) {
        if (extremes.peak[ch] > meterBlock.outPeak[ch])
            meterBlock.outPeak[ch] = static_cast<float>(extremes.peak[ch]);
        if (extremes.peak[ch] > meterBlock.peakHold[ch]) {
            meterBlock.peakHold[ch] = static_cast<float>(extremes.peak[ch]);
            holdCount[ch] = 0;
        }
        if (extremes.power[ch] > meterBlock.outPower[ch])
            meterBlock.outPower[ch] = static_cast<float>(extremes.power[ch]);
    }
    extremes = VectorPasses::MeterExtremes{{0.0, 0.0}, {0.0, 0.0}, HUGE_VAL};
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
