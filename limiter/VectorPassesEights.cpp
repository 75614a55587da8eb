// Built for AVX-512 (F and DQ), and only where the build has the eight-lane passes (see the build file);
// everything inline here lands in Lanes' avx512 namespace. The dither stays with the four-lane version:
// its generator's sequence is drawn four frames per step.
// GCC 12's AVX-512 intrinsics start from an undefined vector (_mm512_undefined_pd) that every lane then
// overwrites; it takes that for a read of an uninitialised value.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
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

}  // namespace VectorPasses
