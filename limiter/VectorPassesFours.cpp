// Built for AVX2, and only where the build has the four-lane passes (see the build file); everything
// inline here lands in Lanes' avx2 namespace.
#include "limiter/VectorPassLoops.h"
#include "limiter/VectorPasses.h"

namespace VectorPasses {

void levelLogsFours(const double* left, const double* right, double* out, int frames, double inputGain,
                    double compensation)
{
    VectorPassLoops::levelLogs<Lanes::Four>(left, right, out, frames, inputGain, compensation);
}

void gainsFromReductionsFours(double* values, int frames)
{
    VectorPassLoops::gainsFromReductions<Lanes::Four>(values, frames);
}

void mainPassFours(MainPass& pass, int frames) { VectorPassLoops::mainPass<Lanes::Four>(pass, frames); }

void ditherNoiseFours(Lanes::Quad& draws, Lanes::Pair* noise, int frames, double amplitude)
{
    // Two frames per step: the eight 32-bit lanes hold both frames' four states and advance together by
    // eight; each frame's draws become doubles and are summed in twos (left q1 + q2, right q3 + q4), the
    // same operations as the pairs' version.
    const Lanes::Quad following = draws * Dither::multiplier4 + Dither::increment4;
    __m256i states = _mm256_set_m128i(reinterpret_cast<__m128i>(following), reinterpret_cast<__m128i>(draws));
    const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(Dither::multiplier8));
    const __m256i increment = _mm256_set1_epi32(static_cast<int>(Dither::increment8));
    const __m256d unit = _mm256_set1_pd(Dither::unit), scale = _mm256_set1_pd(amplitude);
    int i = 0;
    for (; i + 1 < frames; i += 2) {
        const __m256d now = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(states)), unit);
        const __m256d next = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(states, 1)), unit);
        states = _mm256_add_epi32(_mm256_mullo_epi32(states, multiplier), increment);
        // {now0 + now1, next0 + next1, now2 + now3, next2 + next3}, reordered frame by frame.
        const __m256d sums = _mm256_permute4x64_pd(_mm256_hadd_pd(now, next), 0xD8);
        _mm256_storeu_pd(reinterpret_cast<double*>(noise + i), _mm256_mul_pd(scale, sums));
    }
    draws = reinterpret_cast<Lanes::Quad>(_mm256_castsi256_si128(states));
    if (i < frames)
        VectorPassLoops::ditherNoise(draws, noise + i, 1, amplitude);
}

}  // namespace VectorPasses
