// Built for AVX2 (see the build file); everything inline here lands in Lanes' avx2 namespace.
#include "limiter/LogExpLoops.h"
#include "limiter/VectorPasses.h"

namespace VectorPasses {

void levelLogsFours(const double* left, const double* right, double* out, int frames, double inputGain,
                    double compensation)
{
#if TARN_HAVE_FOURS
    LogExpLoops::levelLogs<Lanes::Four>(left, right, out, frames, inputGain, compensation);
#else
    LogExpLoops::levelLogs<Lanes::Pair>(left, right, out, frames, inputGain, compensation);
#endif
}

void gainsFromReductionsFours(double* values, int frames)
{
#if TARN_HAVE_FOURS
    LogExpLoops::gainsFromReductions<Lanes::Four>(values, frames);
#else
    LogExpLoops::gainsFromReductions<Lanes::Pair>(values, frames);
#endif
}

}  // namespace VectorPasses
