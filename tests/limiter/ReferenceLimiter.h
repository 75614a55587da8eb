// The limiter's signal processing written plainly, one frame at a time, straight from its definition,
// with the same logarithm and exponential. The effect computes the same in stretches, passes and pairs
// of lanes; every output bit and meter value must agree.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "limiter/Dither.h"
#include "limiter/LogExp.h"
#include "limiter/MeterBlock.h"

namespace TestSupport {

struct ReferenceSettings {
    float threshold, release, makeup, meterScale, dither;
};

class ReferenceLimiter {
public:
    // `publishing`: whether the effect has an editor to publish to.
    ReferenceLimiter(float sampleRate, bool publishing) : rate(sampleRate), publishing(publishing)
    {
        lookahead = std::max(1, static_cast<int>(static_cast<double>(sampleRate) * static_cast<double>(0.0005f)));
        history.assign(lookahead, 0.0);
        delayLeft.assign(lookahead, 0.0);
        delayRight.assign(lookahead, 0.0);
        meterInterval = static_cast<int>(static_cast<double>(sampleRate) * static_cast<double>(0.02f));
        powerCoeff = static_cast<float>(1.0 - std::exp(-1.0 / (static_cast<double>(sampleRate) * 0.03f)));
        meterDecay = static_cast<float>(std::exp(-0.1));
    }

    // Takes effect at the next frame, as the effect takes new values at the start of a block.
    void configure(const ReferenceSettings& s)
    {
        pending = s;
        changed = true;
    }

    // One frame; `lockHeld` says whether the editor holds the meter lock at this moment.
    void frame(double xL, double xR, double& outL, double& outR, std::uint32_t& seed, bool lockHeld = false)
    {
        if (changed)
            updateCoefficients(pending);
        changed = false;
        double over = std::max(std::fabs(xL), std::fabs(xR)) * inputGain;
        if (!(over > 1.0))
            over = 1.0;
        const double w = LogExp::log(over) * releaseComp;
        envFast = w > envFast ? w : flushed(envFast + releaseCoeff * (w - envFast));
        envSlow = envFast > envSlow ? envFast : flushed(envSlow + releaseCoeff * (envFast - envSlow));
        const double old = history[position];
        const double c = flushed(gainLog + attackCoeff * ((envSlow * 1.58197f - gainLog) - old * 0.58197f));
        gainLog = c > envSlow ? envSlow : c;
        history[position] = gainLog;

        const double dL = delayLeft[position], dR = delayRight[position];
        delayLeft[position] = xL;
        delayRight[position] = xR;
        position = (position + 1) % lookahead;

        const double gain = LogExp::exp(-gainLog);
        if (gain < meters.minGain)
            meters.minGain = static_cast<float>(gain);
        const double g = gain * makeupGain;
        outL = channel(0, dL * g, seed);
        outR = channel(1, dR * g, seed);

        if (++counter > meterInterval && publishing) {
            meters.wideScale = wideScale;
            if (!lockHeld)
                counter = 0;
            for (int c = 0; c < 2; ++c) {
                meters.outPeak[c] *= meterDecay;
                meters.outPower[c] = 0.0f;
                if (holdCount[c] == 50)
                    meters.peakHold[c] *= meterDecay;
                else
                    ++holdCount[c];
            }
            meters.minGain = 1.0f;
        }
    }

    MeterBlock meters;
    double gainLog = 0.0;

private:
    static double flushed(double x) { return std::fabs(x) > 1e-15 ? x : 0.0; }

    void updateCoefficients(const ReferenceSettings& s)
    {
        inputGain = std::pow(10.0, 1.0 - s.threshold);
        makeupGain = std::pow(10.0, s.makeup * (1.0 - s.threshold));
        const double releaseFrames = std::pow(10.0, 2.0 * s.release - 2.0) * rate;
        releaseCoeff = 1.0 - std::exp(-1.0 / releaseFrames);
        attackCoeff = 1.0 - std::exp(-1.0 / lookahead);
        double uToL = 1.0, base = 1.0 - releaseCoeff;  // u^L by repeated squaring
        for (int n = lookahead; n; n >>= 1, base *= base)
            if (n & 1)
                uToL *= base;
        releaseComp = 1.0 / std::sqrt(uToL);
        wideScale = 0.5f < s.meterScale;
        amplitude = 0.5f < s.dither ? 1.0 / 8388608.0 : 1.0 / 32768.0;
    }

    double channel(int c, double scaled, std::uint32_t& seed)
    {
        const double v = std::min(1.0, std::max(-1.0, scaled));  // a NaN comes out as -1
        power[c] = static_cast<float>(flushed(power[c] + powerCoeff * (v * v - power[c])));
        if (std::fabs(v) > meters.outPeak[c])
            meters.outPeak[c] = static_cast<float>(std::fabs(v));
        if (std::fabs(v) > meters.peakHold[c]) {
            meters.peakHold[c] = static_cast<float>(std::fabs(v));
            holdCount[c] = 0;
        }
        if (power[c] > meters.outPower[c])
            meters.outPower[c] = power[c];
        const auto q1 = static_cast<std::int32_t>(Dither::next(seed));
        const auto q2 = static_cast<std::int32_t>(Dither::next(seed));
        return v + amplitude * (q1 * 0x1p-31 + q2 * 0x1p-31);
    }

    double rate;
    bool publishing;
    int lookahead, position = 0, meterInterval, counter = 0, holdCount[2] = {0, 0};
    std::vector<double> history, delayLeft, delayRight;
    double envFast = 0.0, envSlow = 0.0;
    double inputGain = 1.0, makeupGain = 1.0, releaseCoeff = 0.0, attackCoeff = 0.0, releaseComp = 1.0;
    double amplitude = 0.0;
    bool wideScale = false;
    ReferenceSettings pending{};
    bool changed = false;
    float powerCoeff, meterDecay, power[2] = {0.0f, 0.0f};
};

}  // namespace TestSupport
