// The limiter's vector passes, written once for any width of lanes: the level logarithms, the gains'
// exponentials, the dither noise and the main pass around the gain follower. The last few frames of a stretch run
// padded to a whole vector.
#pragma once

#include <cstring>

#include <algorithm>

#include "limiter/Dither.h"
#include "limiter/GainFollower.h"
#include "limiter/Lanes.h"
#include "limiter/LogExp.h"
#include "limiter/VectorPasses.h"

namespace VectorPassLoops {
inline namespace TARN_LANES_ISA {

template <typename V, typename Body> inline void overVectors(int n, Body body)
{
    constexpr int lanes = Lanes::lanesOf<V>;
    int i = 0;
    for (; i + lanes <= n; i += lanes)
        body(i, lanes);
    if (i < n)
        body(i, n - i);
}

// A vector from `count` doubles, padded with zeros.
template <typename V> inline V load(const double* from, int count)
{
    V v{};
    std::memcpy(&v, from, sizeof(double) * static_cast<std::size_t>(count));
    return v;
}

template <typename V> inline void store(double* to, V v, int count)
{
    std::memcpy(to, &v, sizeof(double) * static_cast<std::size_t>(count));
}

// ln(over) x compensation where over = max(|left|, |right|) x inputGain exceeds 1, else 0.
template <typename V> inline V levelOf(V left, V right, double inputGain, double compensation)
{
    const V over = Lanes::larger(Lanes::abs(left), Lanes::abs(right)) * inputGain;
    const auto limited = over > 1.0;
    V w{};
    if (Lanes::any(limited))  // ln 1 is 0: frames at or below the threshold need no logarithm
        w = limited ? LogExp::log(over) * compensation : w;
    return w;
}

// out = levelOf(left, right) frame by frame.
template <typename V>
void levelLogs(const double* left, const double* right, double* out, int n, double inputGain, double compensation)
{
    overVectors<V>(n, [&](int i, int count) {
        store(out + i, levelOf(load<V>(left + i, count), load<V>(right + i, count), inputGain, compensation), count);
    });
}

// exp(-reduction), where exp 0 is 1 without computing it.
template <typename V> inline V gainOf(V reduction)
{
    const auto reduced = reduction != 0.0;
    V gain = Lanes::splat<V>(1.0);
    if (Lanes::any(reduced))
        gain = reduced ? LogExp::exp(-reduction) : gain;
    return gain;
}

// values = exp(-values).
template <typename V> void gainsFromReductions(double* values, int n)
{
    overVectors<V>(n, [&](int i, int count) { store(values + i, gainOf(load<V>(values + i, count)), count); });
}

// noise[i] = amplitude x (q1 x 2^-31 + q2 x 2^-31) for the left sample and the same of q3, q4 for the
// right, q1..q4 being frame i's four draws; `draws` holds the next frame's four states. Even and odd
// frames draw from two interleaved sequences stepping eight states at once, so no frame waits for the
// multiplication of the one before.
inline void ditherNoise(Lanes::Quad& draws, double* left, double* right, int n, double amplitude)
{
    using Lanes::Pair;
    typedef std::int32_t SignedQuad __attribute__((vector_size(16)));
    Lanes::Quad even = draws;
    Lanes::Quad odd = even * Dither::multiplier4 + Dither::increment4;
    for (int i = 0; i < n; ++i) {
        const SignedQuad q = reinterpret_cast<SignedQuad>(even);
        even = odd;
        odd = reinterpret_cast<Lanes::Quad>(q) * Dither::multiplier8 + Dither::increment8;
        const Pair first = {static_cast<double>(q[0]), static_cast<double>(q[2])};
        const Pair second = {static_cast<double>(q[1]), static_cast<double>(q[3])};
        const Pair noise = amplitude * (first * Dither::unit + second * Dither::unit);
        left[i] = noise[0];
        right[i] = noise[1];
    }
    draws = even;
}

// A vector of `count` doubles, the lanes past them `fill`.
template <typename V> inline V loadFilled(const double* from, int count, double fill)
{
    V v = Lanes::splat<V>(fill);
    std::memcpy(&v, from, sizeof(double) * static_cast<std::size_t>(count));
    return v;
}

// shaped + noise per channel, handed to `write(i, left, right, count)`; the extremes of |shaped|, of the
// power and of the gain join `extremes`. None of the values is NaN, so the extremes do not depend on the
// order they are taken in.
template <typename V, typename Write>
void finishOutput(const VectorPasses::FinishPass& pass, int n, VectorPasses::MeterExtremes& m, Write write)
{
    constexpr int lanes = Lanes::lanesOf<V>;
    V peakLeft{}, peakRight{}, loudest{}, quietest = Lanes::splat<V>(HUGE_VAL);
    overVectors<V>(n, [&](int i, int count) {
        const V left = load<V>(pass.shapedLeft + i, count), right = load<V>(pass.shapedRight + i, count);
        write(i, left + load<V>(pass.noiseLeft + i, count), right + load<V>(pass.noiseRight + i, count), count);
        peakLeft = Lanes::larger(peakLeft, Lanes::abs(left));
        peakRight = Lanes::larger(peakRight, Lanes::abs(right));
        // The powers side by side: lanes alternate left and right.
        const int values = 2 * count;
        loudest = Lanes::larger(loudest, load<V>(pass.power + 2 * i, std::min(values, lanes)));
        if (values > lanes)
            loudest = Lanes::larger(loudest, load<V>(pass.power + 2 * i + lanes, values - lanes));
        quietest = Lanes::smaller(quietest, loadFilled<V>(pass.gains + i, count, HUGE_VAL));
    });
    for (int k = 0; k < lanes; ++k) {
        m.peak[0] = std::max(m.peak[0], peakLeft[k]);
        m.peak[1] = std::max(m.peak[1], peakRight[k]);
        m.power[k % 2] = std::max(m.power[k % 2], loudest[k]);
        m.gain = std::min(m.gain, quietest[k]);
    }
}

// The outputs in double precision.
template <typename V> void finishOutput(const VectorPasses::FinishPass& pass, int n, VectorPasses::MeterExtremes& m)
{
    finishOutput<V>(pass, n, m, [&](int i, V left, V right, int count) {
        store(pass.outLeft + i, left, count);
        store(pass.outRight + i, right, count);
    });
}

// The main pass's state and pointers in locals, so stores into the arrays cannot alias them.
template <typename V> struct MainPassLoop {
    static constexpr int lanes = Lanes::lanesOf<V>;
    // Four frames (eight with eight lanes): a whole number of vectors, few enough that both recurrences
    // stay in the processor's view.
    static constexpr int chunk = lanes > 4 ? lanes : 4;
    // A chunk's values kept in registers from one step of the loop to the next.
    struct Chunk {
        V part[chunk / lanes];
    };

    GainFollower::State follower;
    Lanes::Pair power;
    double release, attack, makeup, inputGain, compensation;
    Lanes::Pair coeff;
    const double* inputLeft;
    const double* inputRight;
    double* levels;
    const double* historyOld;
    double* historyNew;
    const double* delayedLeft;
    const double* delayedRight;
    double* gains;
    double* shapedLeft;
    double* shapedRight;
    double* powers;

    explicit MainPassLoop(const VectorPasses::MainPass& pass)
        : follower(pass.follower), power{pass.smoothedPower[0], pass.smoothedPower[1]}, release(pass.release),
          attack(pass.attack), makeup(pass.makeup), inputGain(pass.inputGain), compensation(pass.compensation),
          coeff(Lanes::splat(pass.powerCoeff)), inputLeft(pass.inputLeft), inputRight(pass.inputRight),
          levels(pass.levels), historyOld(pass.historyOld), historyNew(pass.historyNew), delayedLeft(pass.delayedLeft),
          delayedRight(pass.delayedRight), gains(pass.gains), shapedLeft(pass.shapedLeft),
          shapedRight(pass.shapedRight), powers(pass.power)
    {
    }

    double followFrame(int i, double level)
    {
        const double smoothed = GainFollower::step(follower, level, historyOld[i], release, attack);
        historyNew[i] = smoothed;
        return smoothed;
    }

    // One frame's power smoothing, from its clipped samples' squares.
    void smoothPower(int i, Lanes::Pair squares)
    {
        // Smoothed squares are never negative.
        power = Lanes::flushedToFloat(power + coeff * (squares - power), GainFollower::flushLimit);
        std::memcpy(powers + 2 * i, &power, sizeof power);
    }

    void shapeFrame(int i, double gain)
    {
        using Lanes::Pair;
        const Pair delayed = {delayedLeft[i], delayedRight[i]};
        const Pair v = Lanes::clipped(delayed * Lanes::splat(gain * makeup));
        shapedLeft[i] = v[0];
        shapedRight[i] = v[1];
        smoothPower(i, v * v);
    }

    // Whole chunks pass their values on in registers: a vector loaded from separate scalar stores would
    // wait for them to reach the cache, which is to say for the older frames' chains to finish.
    Chunk levelChunk(int start)
    {
        Chunk result;
        for (int p = 0; p < chunk / lanes; ++p) {
            const int at = start + p * lanes;
            result.part[p] =
                levelOf(load<V>(inputLeft + at, lanes), load<V>(inputRight + at, lanes), inputGain, compensation);
        }
        return result;
    }

    Chunk followChunk(int start, const Chunk& frameLevels)
    {
        Chunk reductions;
        for (int k = 0; k < chunk; ++k)
            reductions.part[k / lanes][k % lanes] = followFrame(start + k, frameLevels.part[k / lanes][k % lanes]);
        return reductions;
    }

    Chunk gainChunk(int start, const Chunk& reductions)
    {
        Chunk result;
        for (int p = 0; p < chunk / lanes; ++p) {
            result.part[p] = gainOf(reductions.part[p]);
            store(gains + start + p * lanes, result.part[p], lanes);
        }
        return result;
    }

    // The scaling, clip and squares of a chunk run channel by channel across its frames; only the power's
    // recurrence goes frame by frame.
    void shapeChunk(int start, const Chunk& frameGains)
    {
        for (int p = 0; p < chunk / lanes; ++p) {
            const int at = start + p * lanes;
            const V scale = frameGains.part[p] * makeup;
            const V left = Lanes::clipped(load<V>(delayedLeft + at, lanes) * scale);
            const V right = Lanes::clipped(load<V>(delayedRight + at, lanes) * scale);
            store(shapedLeft + at, left, lanes);
            store(shapedRight + at, right, lanes);
            const V squaresLeft = left * left, squaresRight = right * right;
            for (int k = 0; k < lanes; ++k)
                smoothPower(at + k, Lanes::Pair{squaresLeft[k], squaresRight[k]});
        }
    }

    void storeReductions(int start, const Chunk& reductions)
    {
        for (int p = 0; p < chunk / lanes; ++p)
            store(gains + start + p * lanes, reductions.part[p], lanes);
    }

    // Frames one at a time through memory, for the ends of a stretch.
    void follow(int from, int to)
    {
        levelLogs<V>(inputLeft + from, inputRight + from, levels + from, to - from, inputGain, compensation);
        for (int i = from; i < to; ++i)
            gains[i] = followFrame(i, levels[i]);
    }

    void shape(int from, int to)
    {
        for (int i = from; i < to; ++i)
            shapeFrame(i, gains[i]);
    }
};

// Chunk c + 1's level logarithms, chunk c's follower steps, chunk c - 2's delay, clip and power smoothing
// and chunk c - 1's gains: each frame sees the operations of a frame processed alone, in its order, but
// the follower's chain and the power's chain sit close together in the instruction stream, so the
// processor overlaps them, and the logarithms and exponentials (a chunk ahead of their use) fill the time
// both spend waiting.
template <typename V> void mainPass(VectorPasses::MainPass& pass, int n)
{
    using Loop = MainPassLoop<V>;
    using Chunk = typename Loop::Chunk;
    constexpr int chunk = Loop::chunk;
    Loop loop(pass);
    Chunk levels{}, reductions{}, ready{};
    if (n >= chunk)
        levels = loop.levelChunk(0);
    int start = 0;
    for (; start + chunk <= n; start += chunk) {
        const Chunk followed = loop.followChunk(start, levels);
        if (start + 2 * chunk <= n)
            levels = loop.levelChunk(start + chunk);
        if (start >= 2 * chunk)
            loop.shapeChunk(start - 2 * chunk, ready);
        if (start >= chunk)
            ready = loop.gainChunk(start - chunk, reductions);
        reductions = followed;
    }
    // The frames after the last whole chunk, and the chunks still behind.
    if (start >= chunk)
        loop.storeReductions(start - chunk, reductions);
    loop.follow(start, n);
    gainsFromReductions<V>(pass.gains + std::max(0, start - chunk), n - std::max(0, start - chunk));
    loop.shape(std::max(0, start - 2 * chunk), n);
    pass.follower = loop.follower;
    pass.smoothedPower[0] = loop.power[0];
    pass.smoothedPower[1] = loop.power[1];
}

}  // namespace TARN_LANES_ISA
}  // namespace VectorPassLoops
