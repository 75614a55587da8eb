// Built for AVX2 (see the build file); everything inline here lands in Lanes' avx2 namespace.
#include "limiter/VectorPassLoops.h"
#include "limiter/VectorPasses.h"

namespace VectorPasses {

void levelLogsFours(const double* left, const double* right, double* out, int frames, double inputGain,
                    double compensation)
{
#if TARN_HAVE_FOURS
    VectorPassLoops::levelLogs<Lanes::Four>(left, right, out, frames, inputGain, compensation);
#else
    VectorPassLoops::levelLogs<Lanes::Pair>(left, right, out, frames, inputGain, compensation);
#endif
}

void gainsFromReductionsFours(double* values, int frames)
{
#if TARN_HAVE_FOURS
    VectorPassLoops::gainsFromReductions<Lanes::Four>(values, frames);
#else
    VectorPassLoops::gainsFromReductions<Lanes::Pair>(values, frames);
#endif
}

void ditherNoiseFours(Lanes::Quad& draws, Lanes::Pair* noise, int frames, double amplitude)
{
    VectorPassLoops::ditherNoise(draws, noise, frames, amplitude);
}

}  // namespace VectorPasses
