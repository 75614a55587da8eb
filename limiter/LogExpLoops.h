// The limiter's two vector passes, written once for any width of lanes: the level logarithms and the
// gains' exponentials. The last few frames of a stretch run padded to a whole vector.
#pragma once

#include <cstring>

#include "limiter/Lanes.h"
#include "limiter/LogExp.h"

namespace LogExpLoops {
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
        const V over = Lanes::larger(Lanes::abs(load<V>(left + i, count)), Lanes::abs(load<V>(right + i, count))) * inputGain;
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

}  // namespace TARN_LANES_ISA
}  // namespace LogExpLoops
