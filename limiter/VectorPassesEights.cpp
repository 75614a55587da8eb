// Built for AVX-512 (F and DQ), and only where the build has the eight-lane passes (see the build file);
// everything inline here lands in Lanes' avx512 namespace.
// GCC 12's AVX-512 intrinsics start from an undefined vector (_mm512_undefined_pd) that every lane then
// overwrites (or leaves undefined on purpose, as the casts to wider vectors do); it takes that for a read of
// an uninitialised value.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "limiter/VectorPassLoops.h"
#include "limiter/VectorPasses.h"

namespace VectorPasses {

void levelLogsEights(const double* left, const double* right, double* out, int frames, double inputGain,
                     double compensation)
{
    VectorPassLoops::levelLogs<Lanes::Eight>(left, right, out, frames, inputGain, compensation);
}

void gainsFromReductionsEights(double* values, int frames)
{
    VectorPassLoops::gainsFromReductions<Lanes::Eight>(values, frames);
}

void mainPassEights(MainPass& pass, int frames) { VectorPassLoops::mainPass<Lanes::Eight>(pass, frames); }

void finishOutputEights(const FinishPass& pass, int frames, MeterExtremes& extremes)
{
    VectorPassLoops::finishOutput<Lanes::Eight>(pass, frames, extremes);
}

namespace {

// `count` values rounded to single precision, to nearest whatever the rounding mode, into `to`.
void storeRounded(float* to, Lanes::Eight values, int count)
{
    const __m256 rounded =
        _mm512_cvt_roundpd_ps(reinterpret_cast<__m512d>(values), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    if (count == 8)
        _mm256_storeu_ps(to, rounded);
    else  // masked lanes are neither written nor touched
        _mm512_mask_storeu_ps(to, static_cast<__mmask16>((1u << count) - 1), _mm512_castps256_ps512(rounded));
}

}  // namespace

void finishOutputToSingleEights(const FinishPass& pass, float* outLeft, float* outRight, int frames,
                                MeterExtremes& extremes)
{
    VectorPassLoops::finishOutput<Lanes::Eight>(pass, frames, extremes,
                                                [&](int i, Lanes::Eight left, Lanes::Eight right, int count) {
                                                    storeRounded(outLeft + i, left, count);
                                                    storeRounded(outRight + i, right, count);
                                                });
}

void ditherNoiseEights(Lanes::Quad& draws, double* left, double* right, int frames, double amplitude)
{
    // Eight frames per step in two vectors of sixteen 32-bit lanes, each holding four frames' four states
    // and advancing by 32. Each frame's draws become doubles and are summed in twos (left q1 + q2, right
    // q3 + q4) and scaled, the same operations as the pairs' version.
    const Lanes::Quad second = draws * Dither::multiplier4 + Dither::increment4;
    const Lanes::Quad third = second * Dither::multiplier4 + Dither::increment4;
    const Lanes::Quad fourth = third * Dither::multiplier4 + Dither::increment4;
    const __m256i firstTwo = _mm256_set_m128i(reinterpret_cast<__m128i>(second), reinterpret_cast<__m128i>(draws));
    const __m256i lastTwo = _mm256_set_m128i(reinterpret_cast<__m128i>(fourth), reinterpret_cast<__m128i>(third));
    __m512i early = _mm512_inserti64x4(_mm512_castsi256_si512(firstTwo), lastTwo, 1);
    __m512i late =
        _mm512_add_epi32(_mm512_mullo_epi32(early, _mm512_set1_epi32(static_cast<int>(Dither::multiplier16))),
                         _mm512_set1_epi32(static_cast<int>(Dither::increment16)));
    const __m512i multiplier = _mm512_set1_epi32(static_cast<int>(Dither::multiplier32));
    const __m512i increment = _mm512_set1_epi32(static_cast<int>(Dither::increment32));
    const __m512d unit = _mm512_set1_pd(Dither::unit), scale = _mm512_set1_pd(amplitude);
    // Four frames' states give {left a, left c, right a, right c, left b, left d, right b, right d} for
    // their frames a, b, c, d: the draws of frames a and b, then c and d, interleaved in 128-bit parts.
    const auto sums = [&](__m512i states) {
        const __m512d ab = _mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_castsi512_si256(states)), unit);
        const __m512d cd = _mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(states, 1)), unit);
        return _mm512_add_pd(_mm512_unpacklo_pd(ab, cd), _mm512_unpackhi_pd(ab, cd));
    };
    const __m512i lefts = _mm512_set_epi64(13, 9, 12, 8, 5, 1, 4, 0);
    const __m512i rights = _mm512_set_epi64(15, 11, 14, 10, 7, 3, 6, 2);
    int i = 0;
    for (; i + 7 < frames; i += 8) {
        const __m512d first = sums(early), last = sums(late);
        early = _mm512_add_epi32(_mm512_mullo_epi32(early, multiplier), increment);
        late = _mm512_add_epi32(_mm512_mullo_epi32(late, multiplier), increment);
        _mm512_storeu_pd(left + i, _mm512_mul_pd(scale, _mm512_permutex2var_pd(first, lefts, last)));
        _mm512_storeu_pd(right + i, _mm512_mul_pd(scale, _mm512_permutex2var_pd(first, rights, last)));
    }
    draws = reinterpret_cast<Lanes::Quad>(_mm512_castsi512_si128(early));
    VectorPassLoops::ditherNoise(draws, left + i, right + i, frames - i, amplitude);
}

}  // namespace VectorPasses
