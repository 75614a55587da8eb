// Doubles processed side by side with the compiler's vector extensions: pairs (the left and right
// channel, or two neighbouring frames; SSE2 on x86), fours where the processor has AVX2 and eights
// where it has AVX-512. Each lane goes through exactly the operations a scalar would, so results are
// the same bits whatever the width.
#pragma once

#include <cstdint>
#include <cstring>

#if !defined(__SSE2__)
#error "the lanes are written for SSE2 (x86-64, or 32-bit x86 built with -msse2)"
#endif
#include <emmintrin.h>
#if defined(__i386__) && __STDCPP_DEFAULT_NEW_ALIGNMENT__ > 8
// The heap gives 8-byte alignment here; a `new` of a type holding pairs must ask for more.
#error "build 32-bit x86 with -faligned-new=8 (cmake/Warnings.cmake)"
#endif
#if defined(__AVX2__)
#include <immintrin.h>
#endif

// Code built for AVX2 or AVX-512 lives in a namespace of its own, so the linker never hands an inline
// function compiled for them to a caller built for any processor.
#if defined(__AVX512F__) && defined(__AVX512DQ__)
#define TARN_LANES_EIGHTS 1
#define TARN_LANES_ISA avx512
#elif defined(__AVX2__)
#define TARN_LANES_ISA avx2
#else
#define TARN_LANES_ISA base
#endif

namespace Lanes {
inline namespace TARN_LANES_ISA {

typedef double Pair __attribute__((vector_size(16)));
typedef std::int64_t Mask __attribute__((vector_size(16)));
typedef double Four __attribute__((vector_size(32)));
typedef std::int64_t FourMask __attribute__((vector_size(32)));
typedef std::uint64_t UnsignedMask __attribute__((vector_size(16)));
typedef std::uint64_t UnsignedFourMask __attribute__((vector_size(32)));
typedef std::uint32_t Quad __attribute__((vector_size(16)));  // four 32-bit words
typedef double Eight __attribute__((vector_size(64)));
typedef std::int64_t EightMask __attribute__((vector_size(64)));
typedef std::uint64_t UnsignedEightMask __attribute__((vector_size(64)));

template <typename V> struct Traits;
template <> struct Traits<Pair> {
    using MaskType = Mask;
    using UnsignedType = UnsignedMask;
    static constexpr int lanes = 2;
};
template <> struct Traits<Four> {
    using MaskType = FourMask;
    using UnsignedType = UnsignedFourMask;
    static constexpr int lanes = 4;
};
template <> struct Traits<Eight> {
    using MaskType = EightMask;
    using UnsignedType = UnsignedEightMask;
    static constexpr int lanes = 8;
};
template <typename V> using MaskOf = typename Traits<V>::MaskType;
template <typename V> using UnsignedOf = typename Traits<V>::UnsignedType;
template <typename V> constexpr int lanesOf = Traits<V>::lanes;

template <typename V> inline V splat(double a) { return V{} + a; }
inline Pair splat(double a) { return Pair{a, a}; }

template <typename V> inline MaskOf<V> bits(V x)
{
    MaskOf<V> m;
    std::memcpy(&m, &x, sizeof m);
    return m;
}

template <typename V> inline V fromBits(MaskOf<V> m)
{
    V x;
    std::memcpy(&x, &m, sizeof x);
    return x;
}
inline Pair fromBits(Mask m) { return fromBits<Pair>(m); }

// Whether any lane of a comparison's result is true.
inline bool any(Mask m) { return _mm_movemask_pd(reinterpret_cast<__m128d>(m)) != 0; }

#if defined(__AVX2__)
inline bool any(FourMask m) { return _mm256_movemask_pd(reinterpret_cast<__m256d>(m)) != 0; }
#endif
#if defined(TARN_LANES_EIGHTS)
inline bool any(EightMask m)
{
    const __m512i v = reinterpret_cast<__m512i>(m);
    return _mm512_test_epi64_mask(v, v) != 0;
}
#endif

template <typename V> inline V abs(V x) { return fromBits<V>(bits(x) & INT64_MAX); }

// std::min(1.0, std::max(-1.0, x)) in each lane, NaN becoming -1 as there.
inline Pair clipped(Pair x)
{
    // maxpd keeps its first operand only when it is the greater, so NaN gives -1; minpd likewise.
    const __m128d raised = _mm_max_pd(reinterpret_cast<__m128d>(x), _mm_set1_pd(-1.0));
    return reinterpret_cast<Pair>(_mm_min_pd(raised, _mm_set1_pd(1.0)));
}

#if defined(__AVX2__)
inline Four clipped(Four x)
{
    const __m256d raised = _mm256_max_pd(reinterpret_cast<__m256d>(x), _mm256_set1_pd(-1.0));
    return reinterpret_cast<Four>(_mm256_min_pd(raised, _mm256_set1_pd(1.0)));
}
#endif
#if defined(TARN_LANES_EIGHTS)
inline Eight clipped(Eight x)
{
    // Like maxpd, vmaxpd keeps its first operand only when it is the greater, so NaN gives -1 here too.
    const __m512d raised = _mm512_max_pd(reinterpret_cast<__m512d>(x), _mm512_set1_pd(-1.0));
    return reinterpret_cast<Eight>(_mm512_min_pd(raised, _mm512_set1_pd(1.0)));
}
#endif

// std::max(a, b) in each lane, with its order of operands.
template <typename V> inline V larger(V a, V b) { return a < b ? b : a; }

// std::min(a, b) in each lane, with its order of operands.
template <typename V> inline V smaller(V a, V b) { return b < a ? b : a; }

// A value known not to be negative, flushed to zero at or below `limit` (NaN included) and then
// converted to float and back while the rounding mode is toward zero. For normal numbers of float range
// the conversion cuts the 29 low mantissa bits; both masks come straight from x, side by side.
// While anything is metered both lanes stay above the limit: a predicted branch keeps the compare off
// the chain from frame to frame (the empty statement keeps the compiler from making it a select again).
inline Pair flushedToFloat(Pair x, double limit)
{
    const Mask cut = bits(x) & ~std::int64_t{0x1FFFFFFF};
    const Mask above = x > splat(limit);
    if (__builtin_expect(_mm_movemask_pd(reinterpret_cast<__m128d>(above)) == 3, 1))
        return fromBits(cut);
    __asm__ volatile("");
    return fromBits(cut & above);
}

}  // namespace TARN_LANES_ISA
}  // namespace Lanes
