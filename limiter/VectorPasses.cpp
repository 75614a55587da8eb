#include "limiter/VectorPasses.h"

#include <atomic>

#include "limiter/VectorPassLoops.h"

namespace VectorPasses {

namespace {

std::atomic<bool> foursAllowed{true};

bool processorHasAvx2()
{
#if TARN_HAVE_FOURS
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

// Asked once when the library loads, so the audio thread never meets a guarded first-time initialisation.
const bool foursAvailable = processorHasAvx2();

bool useFours() { return foursAvailable && foursAllowed.load(std::memory_order_relaxed); }

}  // namespace

void levelLogs(const double* left, const double* right, double* out, int frames, double inputGain,
               double compensation)
{
    if (useFours())
        levelLogsFours(left, right, out, frames, inputGain, compensation);
    else
        VectorPassLoops::levelLogs<Lanes::Pair>(left, right, out, frames, inputGain, compensation);
}

void gainsFromReductions(double* values, int frames)
{
    if (useFours())
        gainsFromReductionsFours(values, frames);
    else
        VectorPassLoops::gainsFromReductions<Lanes::Pair>(values, frames);
}

void ditherNoise(Lanes::Quad& draws, Lanes::Pair* noise, int frames, double amplitude)
{
    if (useFours())
        ditherNoiseFours(draws, noise, frames, amplitude);
    else
        VectorPassLoops::ditherNoise(draws, noise, frames, amplitude);
}

void allowFours(bool allowed) { foursAllowed.store(allowed, std::memory_order_relaxed); }

}  // namespace VectorPasses
