// The signal processing: gain computer with a two-stage release, look-ahead ramp, delay, make-up, clip,
// dither and meter gathering.
#include <algorithm>
#include <cmath>
#include <new>

#include "limiter/Dither.h"
#include "limiter/Limiter.h"
#include "limiter/LimiterParams.h"
#include "limiter/RoundingMode.h"
#include "plugedit/MeterMailbox.h"

namespace {

constexpr double flushLimit = 1e-15;
// 1 / (1 - e^-1) cut after five decimals, as single-precision constants whose difference is 1.
constexpr double rampTarget = 1.58197f;
constexpr double rampHistory = 0.58197f;
// Beyond a few seconds of look-ahead the rate is nonsense; the ring stays bounded.
constexpr double maxLookahead = 1 << 20;

double flushed(double x) { return (x >= -flushLimit && x <= flushLimit) ? 0.0 : x; }

// A positive whole number of frames from a rate times a duration, truncated and kept within [low, high].
VstInt32 framesOf(double product, VstInt32 low, double high)
{
    if (!(product >= low))
        return low;
    return static_cast<VstInt32>(std::min(product, high));
}

}  // namespace

void Limiter::setup()
{
    const float sr = getSampleRate();
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

void Limiter::reset()
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

void Limiter::updateCoefficients()
{
    const double sr = getSampleRate();
    const double t = params[LimiterParams::threshold].dspValue;
    const double r = params[LimiterParams::release].dspValue;
    const double m = params[LimiterParams::makeup].dspValue;

    inputGain = std::pow(10.0, 1.0 - t);
    makeupGain = std::pow(10.0, m * (1.0 - t));
    const double releaseFrames = std::pow(10.0, 2.0 * r - 2.0) * sr;
    releaseCoeff = 1.0 - std::exp(-1.0 / releaseFrames);
    attackCoeff = 1.0 - std::exp(-1.0 / lookahead);

    // u^L by repeated squaring; 1 / sqrt(u^L) = exp(L / (2 R)).
    double power = 1.0, base = 1.0 - releaseCoeff;
    for (VstInt32 n = lookahead; n; n >>= 1) {
        if (n & 1)
            power *= base;
        base *= base;
    }
    releaseComp = 1.0 / std::sqrt(power);

    wideScale = 0.5f < params[LimiterParams::meterScale].dspValue;
    dither24 = 0.5f < params[LimiterParams::dither].dspValue;
    needsUpdate = false;
}

bool Limiter::processBlock(bool paramsChanged, const PlugCore::TransportInfo& /*info*/, double** inputs,
                           double** outputs, VstInt32 frames)
{
    if (!delayStorage) {
        // Set up but without memory for the delay: silence rather than stale buffers.
        if (lookahead > 0)
            for (int c = 0; c < 2; ++c)
                std::fill(outputs[c], outputs[c] + frames, 0.0);
        return true;
    }
    TowardZeroRounding rounding;
    if (paramsChanged || needsUpdate)
        updateCoefficients();

    double* const delayLeft = delayStorage.get();
    double* const delayRight = delayLeft + lookahead;
    double* const history = delayRight + lookahead;
    const double amplitude = dither24 ? Dither::amplitude24 : Dither::amplitude16;
    std::uint32_t seed = Dither::claim(4u * static_cast<std::uint32_t>(frames));

    for (VstInt32 i = 0; i < frames; ++i) {
        const double xL = inputs[0][i];
        const double xR = inputs[1][i];

        const double over = std::max(std::fabs(xL), std::fabs(xR)) * inputGain;
        const double w = over > 1.0 ? std::log(over) * releaseComp : 0.0;  // ln 1 is 0
        envFast = w > envFast ? w : flushed(envFast + releaseCoeff * (w - envFast));
        envSlow = envFast > envSlow ? envFast : flushed(envSlow + releaseCoeff * (envFast - envSlow));

        const double old = history[ringPosition];
        const double c = flushed(gainLog + attackCoeff * ((envSlow * rampTarget - gainLog) - old * rampHistory));
        gainLog = c > envSlow ? envSlow : c;
        history[ringPosition] = gainLog;

        const double delayed[2] = {delayLeft[ringPosition], delayRight[ringPosition]};
        delayLeft[ringPosition] = xL;
        delayRight[ringPosition] = xR;
        if (++ringPosition == lookahead)
            ringPosition = 0;

        const double gain = gainLog == 0.0 ? 1.0 : std::exp(-gainLog);  // exp 0 is 1
        if (gain < meterBlock.minGain)
            meterBlock.minGain = static_cast<float>(gain);
        const double g = gain * makeupGain;

        for (int ch = 0; ch < 2; ++ch) {
            const double v = std::min(1.0, std::max(-1.0, delayed[ch] * g));
            power[ch] = static_cast<float>(flushed(power[ch] + powerCoeff * (v * v - power[ch])));
            const double magnitude = std::fabs(v);
            if (magnitude > meterBlock.outPeak[ch])
                meterBlock.outPeak[ch] = static_cast<float>(magnitude);
            if (magnitude > meterBlock.peakHold[ch]) {
                meterBlock.peakHold[ch] = static_cast<float>(magnitude);
                holdCount[ch] = 0;
            }
            if (power[ch] > meterBlock.outPower[ch])
                meterBlock.outPower[ch] = power[ch];

            const auto q1 = static_cast<std::int32_t>(Dither::next(seed));
            const auto q2 = static_cast<std::int32_t>(Dither::next(seed));
            outputs[ch][i] = v + amplitude * (q1 * Dither::unit + q2 * Dither::unit);
        }

        if (++sampleCounter > meterInterval)
            publish();
    }
    return true;
}

void Limiter::publish()
{
    auto* mailbox = dynamic_cast<PlugEdit::MeterMailbox*>(getEditor());
    if (!mailbox)
        return;  // nobody to show them: keep gathering, try again next frame
    meterBlock.wideScale = wideScale;
    if (mailbox->publishMeters(&meterBlock))
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
