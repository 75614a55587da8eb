// The limiter's vector passes, written once for any width of lanes: the level logarithms, the gains'
// exponentials and the dither noise. The last few frames of a stretch run padded to a whole vector.
#pragma once

#include <cstring>

#include "limiter/Dither.h"
#include "limiter/Lanes.h"
#include "limiter/LogExp.h"

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

// out = ln(over) x compensation where over = max(|left|, |right|) x inputGain exceeds 1, else 0.
template <typename V>
void levelLogs(const double* left, const double* right, double* out, int n, double inputGain, double compensation)
{
    overVectors<V>(n, [&](int i, int count) {
        const V louder = Lanes::larger(Lanes::abs(load<V>(left + i, count)), Lanes::abs(load<V>(right + i, count)));
        const V over = louder * inputGain;
        const auto limited = over > 1.0;
        V w{};
        if (Lanes::any(limited))  // ln 1 is 0: frames at or below the threshold need no logarithm
            w = limited ? LogExp::log(over) * compensation : w;
        store(out + i, w, count);
    });
}

// values = exp(-values), where exp 0 is 1 without computing it.
template <typename V> void gainsFromReductions(double* values, int n)
{
    overVectors<V>(n, [&](int i, int count) {
        const V reduction = load<V>(values + i, count);
        const auto reduced = reduction != 0.0;
        V gain = Lanes::splat<V>(1.0);
        if (Lanes::any(reduced))
            gain = reduced ? LogExp::exp(-reduction) : gain;
        store(values + i, gain, count);
    });
}

// noise[i] = amplitude x (q1 x 2^-31 + q2 x 2^-31) for the left sample and the same of q3, q4 for the
// right, q1..q4 being frame i's four draws; `draws` holds the next frame's four states. Even and odd
// frames draw from two interleaved sequences stepping eight states at once, so no frame waits for the
// multiplication of the one before.
inline void ditherNoise(Lanes::Quad& draws, Lanes::Pair* noise, int n, double amplitude)
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
        noise[i] = amplitude * (first * Dither::unit + second * Dither::unit);
    }
    draws = even;
}

}  // namespace TARN_LANES_ISA
}  // namespace VectorPassLoops
