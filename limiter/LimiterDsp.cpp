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

double flushed(double x) { return std::fabs(x) > flushLimit ? x : 0.0; }

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

    // The state lives in locals through the loops: the output stores could otherwise alias it.
    double fast = envFast, slow = envSlow, smoothed = gainLog;
    VstInt32 position = ringPosition;
    const double inGain = inputGain, makeup = makeupGain, release = releaseCoeff, attack = attackCoeff;
    const double compensation = releaseComp;

    // Each stretch runs in three passes with the same operations per frame in the same order: the
    // logarithms of the levels, then the gain follower's recurrence alone, then the exponentials with
    // delay, clip, meter and dither. The calls into libm no longer sit inside the recurrence, so its
    // state stays in registers.
    for (VstInt32 done = 0; done < frames; done += stretch) {
        const VstInt32 n = std::min(stretch, frames - done);
        const double* const inLeft = inputs[0] + done;
        const double* const inRight = inputs[1] + done;
        double* const outLeft = outputs[0] + done;
        double* const outRight = outputs[1] + done;

        for (VstInt32 i = 0; i < n; ++i) {
            const double over = std::max(std::fabs(inLeft[i]), std::fabs(inRight[i])) * inGain;
            levelLog[i] = over > 1.0 ? std::log(over) * compensation : 0.0;  // ln 1 is 0
        }

        VstInt32 ring = position;
        for (VstInt32 i = 0; i < n; ++i) {
            const double w = levelLog[i];
            fast = w > fast ? w : flushed(fast + release * (w - fast));
            slow = fast > slow ? fast : flushed(slow + release * (fast - slow));
            const double old = history[ring];
            const double c = flushed(smoothed + attack * ((slow * rampTarget - smoothed) - old * rampHistory));
            smoothed = c > slow ? slow : c;
            history[ring] = smoothed;
            gainLogs[i] = smoothed;
            if (++ring == lookahead)
                ring = 0;
        }

        for (VstInt32 i = 0; i < n; ++i) {
            const double xL = inLeft[i];
            const double xR = inRight[i];
            const double dL = delayLeft[position];
            const double dR = delayRight[position];
            delayLeft[position] = xL;
            delayRight[position] = xR;
            if (++position == lookahead)
                position = 0;

            const double reduction = gainLogs[i];
            const double gain = reduction == 0.0 ? 1.0 : std::exp(-reduction);  // exp 0 is 1
            if (gain < meterBlock.minGain)
                meterBlock.minGain = static_cast<float>(gain);
            const double g = gain * makeup;

            const double vL = std::min(1.0, std::max(-1.0, dL * g));
            const double vR = std::min(1.0, std::max(-1.0, dR * g));
            gatherMeter(0, vL);
            gatherMeter(1, vR);

            const auto q1 = static_cast<std::int32_t>(Dither::next(seed));
            const auto q2 = static_cast<std::int32_t>(Dither::next(seed));
            const auto q3 = static_cast<std::int32_t>(Dither::next(seed));
            const auto q4 = static_cast<std::int32_t>(Dither::next(seed));
            outLeft[i] = vL + amplitude * (q1 * Dither::unit + q2 * Dither::unit);
            outRight[i] = vR + amplitude * (q3 * Dither::unit + q4 * Dither::unit);

            if (++sampleCounter > meterInterval)
                publish();
        }
    }
    envFast = fast;
    envSlow = slow;
    gainLog = smoothed;
    ringPosition = position;
    return true;
}

void Limiter::gatherMeter(int ch, double v)
{
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
