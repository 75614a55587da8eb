// Natural logarithm and exponential of two, four or eight doubles at once, to full double precision (about half
// a unit in the last place, as good as the platform libraries), table-driven and, for ordinary arguments,
// without branches, so they run in vector registers. The same bits come out on every platform, target
// and width, which the C library's functions do not promise.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstring>

#include "limiter/Lanes.h"
#include "limiter/LogExpTables.h"

namespace LogExp {
inline namespace TARN_LANES_ISA {

namespace detail {

using Lanes::MaskOf;
using Lanes::splat;

// Whole numbers as doubles, exactly, for |k| < 2^31.
template <typename V> inline V toDouble(MaskOf<V> k)
{
    return Lanes::fromBits<V>(k + 0x4330000080000000LL) - splat<V>(0x1p52 + 0x1p31);  // 2^52 + 2^31 + k
}

// Toward zero, for |x| < 2^31, whatever the rounding mode.
inline Lanes::Mask truncated(Lanes::Pair x)
{
    const __m128i k32 = _mm_cvttpd_epi32(reinterpret_cast<__m128d>(x));
    return reinterpret_cast<Lanes::Mask>(_mm_unpacklo_epi32(k32, _mm_srai_epi32(k32, 31)));
}

#if defined(__AVX2__)
inline Lanes::FourMask truncated(Lanes::Four x)
{
    return reinterpret_cast<Lanes::FourMask>(_mm256_cvtepi32_epi64(_mm256_cvttpd_epi32(reinterpret_cast<__m256d>(x))));
}
#endif

#if defined(TARN_LANES_EIGHTS)
inline Lanes::EightMask truncated(Lanes::Eight x)
{
    return reinterpret_cast<Lanes::EightMask>(_mm512_cvttpd_epi64(reinterpret_cast<__m512d>(x)));
}
#endif

// k >> shift rounding toward minus infinity, for |k| < 2^62 (x86 has no arithmetic 64-bit vector shift
// before AVX-512).
template <typename V> inline MaskOf<V> floorShift(MaskOf<V> k, int shift)
{
    constexpr std::int64_t offset = std::int64_t{1} << 62;
    const Lanes::UnsignedOf<V> raised = reinterpret_cast<Lanes::UnsignedOf<V>>(k + offset);
    return reinterpret_cast<MaskOf<V>>(raised >> shift) - (offset >> shift);
}

// k >> shift filling with zeros.
template <typename V> inline MaskOf<V> shiftRight(MaskOf<V> k, int shift)
{
    return reinterpret_cast<MaskOf<V>>(reinterpret_cast<Lanes::UnsignedOf<V>>(k) >> shift);
}

// The table rows the lanes' indices pick, turned into columns: one load per row and a few shuffles
// rather than one load per field and lane. Rows are two or four doubles long.
template <typename V> inline V row(const double* at)
{
    V v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

inline void columns(const double* table, Lanes::Mask i, Lanes::Pair& a, Lanes::Pair& b)
{
    const Lanes::Pair r0 = row<Lanes::Pair>(table + 2 * i[0]), r1 = row<Lanes::Pair>(table + 2 * i[1]);
    a = __builtin_shufflevector(r0, r1, 0, 2);
    b = __builtin_shufflevector(r0, r1, 1, 3);
}

inline void columns(const double* table, Lanes::Mask i, Lanes::Pair& a, Lanes::Pair& b, Lanes::Pair& c,
                    Lanes::Pair& d)
{
    columns(table, i * 2, a, b);
    columns(table + 2, i * 2, c, d);
}

#if defined(__AVX2__)
// With AVX2 the processor gathers a column's four values itself, in fewer instructions than taking the
// indices out of the vector one by one.
inline Lanes::Four gathered(const double* column, Lanes::FourMask i, int rowLength)
{
    return reinterpret_cast<Lanes::Four>(
        _mm256_i64gather_pd(column, reinterpret_cast<__m256i>(i * rowLength), sizeof(double)));
}

inline void columns(const double* table, Lanes::FourMask i, Lanes::Four& a, Lanes::Four& b)
{
    a = gathered(table, i, 2);
    b = gathered(table + 1, i, 2);
}

inline void columns(const double* table, Lanes::FourMask i, Lanes::Four& a, Lanes::Four& b, Lanes::Four& c,
                    Lanes::Four& d)
{
    a = gathered(table, i, 4);
    b = gathered(table + 1, i, 4);
    c = gathered(table + 2, i, 4);
    d = gathered(table + 3, i, 4);
}
#endif

#if defined(TARN_LANES_EIGHTS)
// Eight lanes load their rows whole and transpose them: a 512-bit gather fetches one element per cycle
// or so on the processors at hand, which made the tables the larger part of the logarithm's cost.
// The same values land in the same lanes, so the bits do not change.
inline void columns(const double* table, Lanes::EightMask i, Lanes::Eight& a, Lanes::Eight& b)
{
    // Rows 0, 2, 4, 6 in one vector and 1, 3, 5, 7 in the other, two doubles per 128-bit part: the low
    // halves of each part side by side are the first column, the high halves the second.
    const auto rowAt = [&](int lane) { return _mm_loadu_pd(table + 2 * i[lane]); };
    __m512d even = _mm512_castpd128_pd512(rowAt(0)), odd = _mm512_castpd128_pd512(rowAt(1));
    even = _mm512_insertf64x2(even, rowAt(2), 1);
    odd = _mm512_insertf64x2(odd, rowAt(3), 1);
    even = _mm512_insertf64x2(even, rowAt(4), 2);
    odd = _mm512_insertf64x2(odd, rowAt(5), 2);
    even = _mm512_insertf64x2(even, rowAt(6), 3);
    odd = _mm512_insertf64x2(odd, rowAt(7), 3);
    a = reinterpret_cast<Lanes::Eight>(_mm512_unpacklo_pd(even, odd));
    b = reinterpret_cast<Lanes::Eight>(_mm512_unpackhi_pd(even, odd));
}

inline void columns(const double* table, Lanes::EightMask i, Lanes::Eight& a, Lanes::Eight& b, Lanes::Eight& c,
                    Lanes::Eight& d)
{
    // Rows of four: {0 | 2}, {1 | 3}, {4 | 6}, {5 | 7} in 256-bit halves; interleaving the first two and
    // the last two gives 128-bit parts holding two rows' columns 0 or 2 (low) and 1 or 3 (high), and
    // picking those parts in order gives each column.
    const auto rows = [&](int first, int second) {
        return _mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_loadu_pd(table + 4 * i[first])),
                                  _mm256_loadu_pd(table + 4 * i[second]), 1);
    };
    const __m512d r02 = rows(0, 2), r13 = rows(1, 3), r46 = rows(4, 6), r57 = rows(5, 7);
    const __m512d low0123 = _mm512_unpacklo_pd(r02, r13), high0123 = _mm512_unpackhi_pd(r02, r13);
    const __m512d low4567 = _mm512_unpacklo_pd(r46, r57), high4567 = _mm512_unpackhi_pd(r46, r57);
    // Parts 0 and 2 of each hold columns 0 and 1, parts 1 and 3 columns 2 and 3.
    a = reinterpret_cast<Lanes::Eight>(_mm512_shuffle_f64x2(low0123, low4567, 0x88));
    b = reinterpret_cast<Lanes::Eight>(_mm512_shuffle_f64x2(high0123, high4567, 0x88));
    c = reinterpret_cast<Lanes::Eight>(_mm512_shuffle_f64x2(low0123, low4567, 0xdd));
    d = reinterpret_cast<Lanes::Eight>(_mm512_shuffle_f64x2(high0123, high4567, 0xdd));
}
#endif

constexpr double ln2Hi = 0x1.62e42fefa3800p-1;  // a multiple of 2^-42: k ln2Hi is exact
constexpr double ln2Lo = 0x1.ef35793c76730p-45;

}  // namespace detail

namespace detail {

// exp x = 2^(k/128) exp r with |r| <= ln2 / 256, for |x| below about 745: 2^(k/128) = 2^e power (1 + tail)
// from the table, exp r - 1 from its series; returns power (1 + rest) and e.
template <typename V> inline V expParts(V x, MaskOf<V>& e)
{
    using M = MaskOf<V>;
    constexpr double toSteps = 0x1.71547652b82fep+7;  // 128 / ln2
    constexpr double stepHi = 0x1.62e42fefc0000p-8;   // ln2 / 128 in 35 bits: k stepHi is exact
    constexpr double stepLo = -0x1.c610ca86c3899p-44;

    const V steps = x * toSteps;
    const M k = truncated(steps + (steps < 0.0 ? splat<V>(-0.5) : splat<V>(0.5)));
    const V kd = toDouble<V>(k);
    const V r = (x - kd * stepHi) - kd * stepLo;

    V power, tail;
    columns(tables::exp2, k & 127, power, tail);

    // The series in two halves evaluated side by side (Estrin's scheme), for a short dependency chain.
    const V r2 = r * r;
    const V series = r + r2 * ((0.5 + r * (1.0 / 6)) + r2 * (1.0 / 24 + r * (1.0 / 120)));
    e = floorShift<V>(k, 7);
    return power + power * (tail + series);
}

}  // namespace detail

template <typename V> inline V exp(V x)
{
    using M = Lanes::MaskOf<V>;
    constexpr double overflowAbove = 0x1.62e42fefa39efp+9, zeroBelow = -0x1.74910d52d3051p+9;
    constexpr double normalAbove = -708.0, normalBelow = 709.0;  // where 2^e is one normal factor

    M e;
    if (!Lanes::any(!(x > normalAbove && x < normalBelow))) {
        const V parts = detail::expParts(x, e);
        return Lanes::fromBits<V>(Lanes::bits(parts) + (e << 52));  // times 2^e, exactly
    }
    // 2^e in two factors, so results near overflow and below the normal range scale correctly.
    const V inRange = x > zeroBelow && x < overflowAbove ? x : Lanes::splat<V>(0.0);
    const V parts = detail::expParts(inRange, e);
    const M eHalf = detail::floorShift<V>(e, 1);
    const V halfway = Lanes::fromBits<V>(Lanes::bits(parts) + (eHalf << 52));
    V result = halfway * Lanes::fromBits<V>((e - eHalf + 1023) << 52);
    result = x >= overflowAbove ? Lanes::splat<V>(HUGE_VAL) : result;
    result = x <= zeroBelow ? Lanes::splat<V>(0.0) : result;
    return x != x ? x + x : result;  // NaN stays NaN
}

namespace detail {

// ln x for x = 2^-scaledBy ix, ix the bits of a positive normal number (see log below).
template <typename V> inline V logOfNormal(MaskOf<V> ix, MaskOf<V> scaledBy)
{
    using M = MaskOf<V>;
    constexpr std::int64_t offset = 0x3fe6000000000000;  // 0.6875
    const M fromOffset = ix - offset;
    const M i = shiftRight<V>(fromOffset, 45) & 127;
    const M k = floorShift<V>(fromOffset, 52) - scaledBy;
    const V z = Lanes::fromBits<V>(ix - (fromOffset & (std::int64_t{0xfff} << 52)));

    V invC, c, head, tail;
    columns(tables::logs, i, invC, c, head, tail);

    const V r = (z - c) * invC;  // z - c is exact
    const V kd = toDouble<V>(k);
    const V w = kd * ln2Hi + head;  // exact
    const V hi = w + r;
    const V lo = ((w - hi) + r) + (kd * ln2Lo + tail);

    // ln(1 + r) - r = r^2 (-1/2 + r/3 - r^2/4 + ... + r^7/9), in four pairs of terms evaluated side by side.
    const V r2 = r * r;
    const V r4 = r2 * r2;
    const V low = (-0.5 + r * (1.0 / 3)) + r2 * (-0.25 + r * 0.2);
    const V high = (-1.0 / 6 + r * (1.0 / 7)) + r2 * (-0.125 + r * (1.0 / 9));
    const V series = r2 * (low + r4 * high);
    return hi + (lo + series);
}

}  // namespace detail

// ln x = k ln2 + ln c + ln(1 + r) with x = 2^k z, z in [0.6875, 1.375), c the table's centre of z's
// subinterval and r = (z - c) / c; ln(1 + r) from its series.
template <typename V> inline V log(V x)
{
    using M = Lanes::MaskOf<V>;
    if (!Lanes::any(!(x >= DBL_MIN && x < HUGE_VAL)))
        return detail::logOfNormal<V>(Lanes::bits(x), M{});

    // Numbers below the normal range are scaled up by 2^54 first; the rest have fixed answers.
    const M tiny = x < DBL_MIN;
    V result = detail::logOfNormal<V>(Lanes::bits(tiny ? x * 0x1p54 : x), tiny & 54);
    result = x == HUGE_VAL ? x : result;
    result = x == 0.0 ? Lanes::splat<V>(-HUGE_VAL) : result;
    return x < 0.0 || x != x ? Lanes::splat<V>(NAN) : result;
}

inline double exp(double x) { return exp(Lanes::splat(x))[0]; }
inline double log(double x) { return log(Lanes::splat(x))[0]; }

}  // namespace TARN_LANES_ISA
}  // namespace LogExp
