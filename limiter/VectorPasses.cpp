#include "limiter/VectorPasses.h"

#include <atomic>

#include "limiter/VectorPassLoops.h"

namespace VectorPasses {

namespace {

std::atomic<bool> foursAllowed{true}, eightsAllowed{true};

// Only the Linux builds have the four- and eight-lane passes: in the Windows builds the compiler may spill 32-byte
// values to stack slots the system aligns to less (see limiter/CMakeLists.txt).
#if TARN_HAVE_FOURS
// Asked once when the library loads, so the audio thread never meets a guarded first-time initialisation.
const bool foursAvailable = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);

bool useFours() { return foursAvailable && foursAllowed.load(std::memory_order_relaxed); }
#endif
#if TARN_HAVE_EIGHTS
const bool eightsAvailable =
    (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512dq") != 0);

bool useEights() { return eightsAvailable && eightsAllowed.load(std::memory_order_relaxed); }
#endif

}  // namespace

void levelLogs(const double* left, const double* right, double* out, int frames, double inputGain, double compensation)
{
#if TARN_HAVE_EIGHTS
    if (useEights())
        return levelLogsEights(left, right, out, frames, inputGain, compensation);
#endif
#if TARN_HAVE_FOURS
    if (useFours())
        return levelLogsFours(left, right, out, frames, inputGain, compensation);
#endif
    VectorPassLoops::levelLogs<Lanes::Pair>(left, right, out, frames, inputGain, compensation);
}

void gainsFromReductions(double* values, int frames)
{
#if TARN_HAVE_EIGHTS
    if (useEights())
        return gainsFromReductionsEights(values, frames);
#endif
#if TARN_HAVE_FOURS
    if (useFours())
        return gainsFromReductionsFours(values, frames);
#endif
    VectorPassLoops::gainsFromReductions<Lanes::Pair>(values, frames);
}

void ditherNoise(Lanes::Quad& draws, double* left, double* right, int frames, double amplitude)
{
#if TARN_HAVE_EIGHTS
    if (useEights())
        return ditherNoiseEights(draws, left, right, frames, amplitude);
#endif
#if TARN_HAVE_FOURS
    if (useFours())
        return ditherNoiseFours(draws, left, right, frames, amplitude);
#endif
    VectorPassLoops::ditherNoise(draws, left, right, frames, amplitude);
}

void finishOutput(const FinishPass& pass, int frames, MeterExtremes& extremes)
{
#if TARN_HAVE_EIGHTS
    if (useEights())
        return finishOutputEights(pass, frames, extremes);
#endif
#if TARN_HAVE_FOURS
    if (useFours())
        return finishOutputFours(pass, frames, extremes);
#endif
    VectorPassLoops::finishOutput<Lanes::Pair>(pass, frames, extremes);
}

bool roundsToSingle()
{
#if TARN_HAVE_EIGHTS
    return useEights();
#else
    return false;
#endif
}

void finishOutputToSingle(const FinishPass& pass, float* outLeft, float* outRight, int frames, MeterExtremes& extremes)
{
#if TARN_HAVE_EIGHTS
    if (useEights())
        return finishOutputToSingleEights(pass, outLeft, outRight, frames, extremes);
#endif
    // Never called without the eight-lane passes (see roundsToSingle); nothing is written.
    (void)pass, (void)outLeft, (void)outRight, (void)frames, (void)extremes;
}

void mainPass(MainPass& pass, int frames)
{
#if TARN_HAVE_EIGHTS
    if (useEights())
        return mainPassEights(pass, frames);
#endif
#if TARN_HAVE_FOURS
    if (useFours())
        return mainPassFours(pass, frames);
#endif
    VectorPassLoops::mainPass<Lanes::Pair>(pass, frames);
}

void allowFours(bool allowed) { foursAllowed.store(allowed, std::memory_order_relaxed); }

void allowEights(bool allowed) { eightsAllowed.store(allowed, std::memory_order_relaxed); }

int widestLanes()
{
#if TARN_HAVE_EIGHTS
    if (eightsAvailable)
        return 8;
#endif
#if TARN_HAVE_FOURS
    if (foursAvailable)
        return 4;
#endif
    return 2;
}

}  // namespace VectorPasses
