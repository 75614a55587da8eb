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

void finishOutputFours(const FinishPass& pass, int frames, MeterExtremes& extremes)
{
    VectorPassLoops::finishOutput<Lanes::Four>(pass, frames, extremes);
}

void ditherNoiseFours(Lanes::Quad& draws, double* left, double* right, int frames, double amplitude)
{
    // Four frames per step in two vectors of eight 32-bit lanes, each holding two frames' four states and
    // advancing by sixteen, so neither waits long for its multiplication. Each frame's draws become
    // doubles and are summed in twos (left q1 + q2, right q3 + q4), the same operations as the pairs'
    // version.
    const Lanes::Quad second = draws * Dither::multiplier4 + Dither::increment4;
    const Lanes::Quad third = second * Dither::multiplier4 + Dither::increment4;
    const Lanes::Quad fourth = third * Dither::multiplier4 + Dither::increment4;
    __m256i early = _mm256_set_m128i(reinterpret_cast<__m128i>(second), reinterpret_cast<__m128i>(draws));
    __m256i late = _mm256_set_m128i(reinterpret_cast<__m128i>(fourth), reinterpret_cast<__m128i>(third));
    const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(Dither::multiplier16));
    const __m256i increment = _mm256_set1_epi32(static_cast<int>(Dither::increment16));
    const __m256d unit = _mm256_set1_pd(Dither::unit), scale = _mm256_set1_pd(amplitude);
    // {left i, left i + 1, right i, right i + 1} from the two frames' states in `states`.
    const auto sums = [&](__m256i states) {
        const __m256d now = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(states)), unit);
        const __m256d next = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(states, 1)), unit);
        return _mm256_hadd_pd(now, next);
    };
    int i = 0;
    for (; i + 3 < frames; i += 4) {
        const __m256d first = sums(early), last = sums(late);
        early = _mm256_add_epi32(_mm256_mullo_epi32(early, multiplier), increment);
        late = _mm256_add_epi32(_mm256_mullo_epi32(late, multiplier), increment);
        _mm256_storeu_pd(left + i, _mm256_mul_pd(scale, _mm256_permute2f128_pd(first, last, 0x20)));
        _mm256_storeu_pd(right + i, _mm256_mul_pd(scale, _mm256_permute2f128_pd(first, last, 0x31)));
    }
    draws = reinterpret_cast<Lanes::Quad>(_mm256_castsi256_si128(early));
    VectorPassLoops::ditherNoise(draws, left + i, right + i, frames - i, amplitude);
}

}  // namespace VectorPasses
