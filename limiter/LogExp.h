// Natural logarithm and exponential of two doubles at once, to full double precision (about half a unit
// in the last place, as good as the platform libraries), table-driven and without branches, so they run
// in vector registers. The same bits come out on every platform and target, which the C library's
// functions do not promise.
#pragma once

#include <cfloat>
#include <cmath>

#include "limiter/Lanes.h"
#include "limiter/LogExpTables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace LogExp {

namespace detail {

using Lanes::Mask;
using Lanes::Pair;
using Lanes::splat;

typedef std::uint64_t UnsignedMask __attribute__((vector_size(16)));

// Whole numbers as doubles, exactly, for |k| < 2^31.
inline Pair toDouble(Mask k)
{
    const Mask biased = k + Mask{0x4330000080000000LL, 0x4330000080000000LL};  // 2^52 + 2^31 + k
    return Lanes::fromBits(biased) - splat(0x1p52 + 0x1p31);
}

// Toward zero, for |x| < 2^31, whatever the rounding mode.
inline Mask truncated(Pair x)
{
#if defined(__SSE2__)
    const __m128i k32 = _mm_cvttpd_epi32(reinterpret_cast<__m128d>(x));
    return reinterpret_cast<Mask>(_mm_unpacklo_epi32(k32, _mm_srai_epi32(k32, 31)));
#else
    return Mask{static_cast<std::int64_t>(x[0]), static_cast<std::int64_t>(x[1])};
#endif
}

// k >> shift rounding toward minus infinity, for |k| < 2^62 (SSE2 has no arithmetic 64-bit shift).
inline Mask floorShift(Mask k, int shift)
{
    constexpr std::int64_t offset = std::int64_t{1} << 62;
    const UnsignedMask raised = reinterpret_cast<UnsignedMask>(k + offset);
    return reinterpret_cast<Mask>(raised >> shift) - (offset >> shift);
}

// 2^e for -1022 <= e <= 1023.
inline Pair powerOfTwo(Mask e) { return Lanes::fromBits((e + 1023) << 52); }

constexpr double ln2Hi = 0x1.62e42fefa3800p-1;  // a multiple of 2^-42: k ln2Hi is exact
constexpr double ln2Lo = 0x1.ef35793c76730p-45;

}  // namespace detail

// exp x = 2^(k/128) exp r with |r| <= ln2 / 256; 2^(k/128) from the table, exp r - 1 from its series.
inline Lanes::Pair exp(Lanes::Pair x)
{
    using namespace detail;
    constexpr double overflowAbove = 0x1.62e42fefa39efp+9, zeroBelow = -0x1.74910d52d3051p+9;
    constexpr double normalAbove = -708.0, normalBelow = 709.0;  // where 2^(k >> 7) is one normal factor
    constexpr double toSteps = 0x1.71547652b82fep+7;             // 128 / ln2
    constexpr double stepHi = 0x1.62e42fefc0000p-8;              // ln2 / 128 in 35 bits: k stepHi is exact
    constexpr double stepLo = -0x1.c610ca86c3899p-44;

    const bool ordinary = !Lanes::any(!(x > splat(normalAbove) && x < splat(normalBelow)));
    const Pair inRange = ordinary || (x > splat(zeroBelow) && x < splat(overflowAbove)) ? x : splat(0.0);
    const Pair steps = inRange * toSteps;
    const Mask k = truncated(steps + (steps < splat(0.0) ? splat(-0.5) : splat(0.5)));
    const Pair kd = toDouble(k);
    const Pair r = (inRange - kd * stepHi) - kd * stepLo;

    const Mask j = k & 127;
    const tables::PowerEntry& a = tables::exp2[j[0]];
    const tables::PowerEntry& b = tables::exp2[j[1]];
    const Pair power = {a.power, b.power}, tail = {a.tail, b.tail};

    // The series in two halves evaluated side by side (Estrin's scheme), for a short dependency chain.
    const Pair r2 = r * r;
    const Pair series = r + r2 * ((0.5 + r * (1.0 / 6)) + r2 * (1.0 / 24 + r * (1.0 / 120)));
    const Pair rest = tail + series;

    const Mask e = floorShift(k, 7);
    if (ordinary) {
        const Pair scale = Lanes::fromBits(Lanes::bits(power) + (e << 52));
        return scale + scale * rest;
    }
    // 2^(k >> 7) in two factors, so results near overflow and below the normal range scale correctly.
    const Mask eHalf = floorShift(e, 1);
    const Pair scale = Lanes::fromBits(Lanes::bits(power) + (eHalf << 52));
    Pair result = (scale + scale * rest) * powerOfTwo(e - eHalf);
    result = x >= splat(overflowAbove) ? splat(HUGE_VAL) : result;
    result = x <= splat(zeroBelow) ? splat(0.0) : result;
    return x != x ? x + x : result;  // NaN stays NaN
}

// ln x = k ln2 + ln c + ln(1 + r) with x = 2^k z, z in [0.6875, 1.375), c the table's centre of z's
// subinterval and r = (z - c) / c; ln(1 + r) from its series.
inline Lanes::Pair log(Lanes::Pair x)
{
    using namespace detail;
    constexpr std::int64_t offset = 0x3fe6000000000000;  // 0.6875

    const bool ordinary = !Lanes::any(!(x >= splat(DBL_MIN) && x < splat(HUGE_VAL)));
    // Numbers below the normal range are scaled up by 2^54 first.
    const Mask tiny = ordinary ? Mask{0, 0} : x < splat(DBL_MIN);
    const Mask ix = Lanes::bits(tiny ? x * 0x1p54 : x);
    const Mask fromOffset = ix - offset;
    const Mask i = reinterpret_cast<Mask>(reinterpret_cast<UnsignedMask>(fromOffset) >> 45) & 127;
    const Mask k = floorShift(fromOffset, 52) - (tiny & 54);
    const Pair z = Lanes::fromBits(ix - (fromOffset & (Mask{0xfff, 0xfff} << 52)));

    const tables::LogEntry& a = tables::logs[i[0]];
    const tables::LogEntry& b = tables::logs[i[1]];
    const Pair invC = {a.invC, b.invC}, c = {a.c, b.c};
    const Pair head = {a.logHead, b.logHead}, tail = {a.logTail, b.logTail};

    const Pair r = (z - c) * invC;  // z - c is exact
    const Pair kd = toDouble(k);
    const Pair w = kd * ln2Hi + head;  // exact
    const Pair hi = w + r;
    const Pair lo = ((w - hi) + r) + (kd * ln2Lo + tail);

    // ln(1 + r) - r = r^2 (-1/2 + r/3 - r^2/4 + ... + r^7/9), in four pairs of terms evaluated side by side.
    const Pair r2 = r * r;
    const Pair r4 = r2 * r2;
    const Pair low = (-0.5 + r * (1.0 / 3)) + r2 * (-0.25 + r * 0.2);
    const Pair high = (-1.0 / 6 + r * (1.0 / 7)) + r2 * (-0.125 + r * (1.0 / 9));
    const Pair series = r2 * (low + r4 * high);
    const Pair result = hi + (lo + series);
    if (ordinary)
        return result;

    Pair special = x == splat(HUGE_VAL) ? x : result;
    special = x == splat(0.0) ? splat(-HUGE_VAL) : special;
    return x < splat(0.0) || x != x ? splat(NAN) : special;
}

inline double exp(double x) { return exp(Lanes::splat(x))[0]; }
inline double log(double x) { return log(Lanes::splat(x))[0]; }

}  // namespace LogExp
