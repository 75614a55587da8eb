// The gain follower's recurrence, one frame at a time: the two-stage release envelope of the level's
// logarithm and the look-ahead ramp that smooths the gain reduction toward it. This chain from frame to
// frame is the one part of the limiter no vector can take over; the kernel runs it inside its main pass
// and the benchmarks run it alone to show what it costs by itself.
#pragma once

#include <cmath>

namespace GainFollower {

constexpr double flushLimit = 1e-15;
// 1 / (1 - e^-1) cut after five decimals, as single-precision constants whose difference is 1. Floats
// kept in doubles on purpose: the output is defined with these very values, not the exact constant.
constexpr double rampTarget = 1.58197f;
constexpr double rampHistory = 0.58197f;

// The flush to zero of a value known not to be negative (levels and envelopes, which start at 0 and
// move toward non-negative levels): no absolute value needed on the recurrence's critical path. A
// branch the processor predicts (values stay above the limit while anything is limited), not a select,
// so the compare stays off the recurrence's chain from frame to frame; the empty statement keeps the
// compiler from turning it back into a select.
inline double flushedNonNegative(double x)
{
    if (__builtin_expect(x > flushLimit, 1))
        return x;
    __asm__ volatile("");
    return 0.0;
}

struct State {
    double fast = 0.0;      // the first release stage
    double slow = 0.0;      // the second, never below the first on a rise
    double smoothed = 0.0;  // the gain reduction, as a natural logarithm
};

// One frame: `level` the level's logarithm (0 at or under the threshold), `old` the smoothed reduction
// of one look-ahead before. Returns the new smoothed reduction. Kept in the caller's registers when
// inlined; `state` is best a local copy.
inline double step(State& state, double level, double old, double release, double attack)
{
    double fast = state.fast, slow = state.slow;
    fast = level > fast ? level : flushedNonNegative(fast + release * (level - fast));
    slow = fast > slow ? fast : flushedNonNegative(slow + release * (fast - slow));
    const double c = state.smoothed + attack * ((slow * rampTarget - state.smoothed) - old * rampHistory);
    // Flushing c and capping it by the slow envelope both start from c; the envelope is never negative,
    // so a flushed c stays 0 under the cap.
    const double smoothed = std::fabs(c) > flushLimit ? (c > slow ? slow : c) : 0.0;
    state = State{fast, slow, smoothed};
    return smoothed;
}

}  // namespace GainFollower
