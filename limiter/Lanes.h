// Two doubles processed side by side (the left and right channel, or two neighbouring frames) with
// the compiler's vector extensions: SSE2 on x86, plain pairs elsewhere. Each lane goes through exactly
// the operations a scalar would, so results are the same bits.
#pragma once

#include <cstdint>
#include <cstring>

namespace Lanes {

typedef double Pair __attribute__((vector_size(16)));
typedef std::int64_t Mask __attribute__((vector_size(16)));
typedef std::uint32_t Quad __attribute__((vector_size(16)));
typedef std::int32_t SignedPair __attribute__((vector_size(8)));

inline Pair pair(double a, double b) { return Pair{a, b}; }
inline Pair splat(double a) { return Pair{a, a}; }

inline Mask bits(Pair x)
{
    Mask m;
    std::memcpy(&m, &x, sizeof m);
    return m;
}

inline Pair fromBits(Mask m)
{
    Pair x;
    std::memcpy(&x, &m, sizeof x);
    return x;
}

inline bool any(Mask m) { return (m[0] | m[1]) != 0; }

inline Pair abs(Pair x) { return fromBits(bits(x) & Mask{INT64_MAX, INT64_MAX}); }

// x where |x| > limit, else +0 (NaN included): the recursive filters' flush to zero.
inline Pair flushedBelow(Pair x, double limit) { return fromBits(bits(x) & (abs(x) > splat(limit))); }

// std::min(1.0, std::max(-1.0, x)) in each lane, NaN becoming -1 as there.
inline Pair clipped(Pair x)
{
    const Pair raised = splat(-1.0) < x ? x : splat(-1.0);
    return raised < splat(1.0) ? raised : splat(1.0);
}

// std::max(a, b) and std::min(a, b) in each lane, with their order of operands.
inline Pair larger(Pair a, Pair b) { return a < b ? b : a; }
inline Pair smaller(Pair a, Pair b) { return b < a ? b : a; }

// The nearest float toward zero, kept as a double: what the conversion to float gives while the
// rounding mode is toward zero, for normal numbers of float range (cutting the 29 low mantissa bits).
inline Pair floatTowardZero(Pair x) { return fromBits(bits(x) & Mask{~std::int64_t{0x1FFFFFFF}, ~std::int64_t{0x1FFFFFFF}}); }

}  // namespace Lanes
