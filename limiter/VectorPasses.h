// The limiter's vector passes, eight frames at a time where the processor has AVX-512, four where it
// has AVX2 and two elsewhere; every width gives the same bits.
#pragma once

#include "limiter/GainFollower.h"
#include "limiter/Lanes.h"

namespace VectorPasses {

// out = ln(over) x compensation where over = max(|left|, |right|) x inputGain exceeds 1, else 0.
void levelLogs(const double* left, const double* right, double* out, int frames, double inputGain, double compensation);

// values = exp(-values).
void gainsFromReductions(double* values, int frames);

// The dither noise of `frames` frames, per channel; `draws` holds the next frame's four generator states
// and is advanced past them.
void ditherNoise(Lanes::Quad& draws, double* left, double* right, int frames, double amplitude);

// The main pass over a stretch: the gain follower's recurrence frame by frame and, a few frames ahead of
// it in the same loop, the level logarithms, and behind it the gains' exponentials, the delayed frames
// scaled and clipped, and the meters' power smoothing, the second recurrence. Run side by side, the two chains cost
// about as much as the longer of them alone.
struct MainPass {
    // Read: the stretch's input frames, and the delayed frames (the inputs of one look-ahead before), of
    // each channel.
    const double* inputLeft;
    const double* inputRight;
    const double* delayedLeft;
    const double* delayedRight;
    // The smoothed reductions: frame i reads the one of a look-ahead before at historyOld[i] and writes
    // its own at historyNew[i] (the same line, one look-ahead further on).
    const double* historyOld;
    double* historyNew;
    double inputGain, compensation, release, attack, makeup, powerCoeff;
    // Written per frame: room for the level logarithms, the gain, the clipped output before the dither
    // (per channel) and the smoothed power (left, right side by side).
    double* levels;
    double* gains;
    double* shapedLeft;
    double* shapedRight;
    double* power;
    // Carried from stretch to stretch.
    GainFollower::State follower;
    double smoothedPower[2];
};
void mainPass(MainPass& pass, int frames);

// The extremes the meters gather between two publishes.
struct MeterExtremes {
    double peak[2];   // largest |output| before the dither, per channel
    double power[2];  // largest smoothed power, per channel
    double gain;      // smallest gain
};

// The main pass's frames with the dither noise added, into the outputs, and their extremes gathered.
struct FinishPass {
    const double* shapedLeft;
    const double* shapedRight;
    const double* noiseLeft;
    const double* noiseRight;
    const double* power;  // left, right side by side
    const double* gains;
    double* outLeft;
    double* outRight;
};
void finishOutput(const FinishPass& pass, int frames, MeterExtremes& extremes);

// Whether finishOutputToSingle can be called: where the eight-lane passes run, AVX-512 rounds each value
// to single precision as its instruction says, whatever the rounding mode the kernel runs in.
bool roundsToSingle();
// finishOutput with the outputs rounded to single precision, to nearest, as they are written into
// outLeft and outRight (the pass's double outputs are not used).
void finishOutputToSingle(const FinishPass& pass, float* outLeft, float* outRight, int frames, MeterExtremes& extremes);

// Tests run every width: false keeps to pairs even where AVX2 is there, and to fours (or pairs) where
// AVX-512 is.
void allowFours(bool allowed);
void allowEights(bool allowed);
// The widest the processor and the build offer: 2, 4 or 8.
int widestLanes();

// The wide versions, built for AVX2 where the build has them (TARN_HAVE_FOURS); only called when the
// processor has it.
void levelLogsFours(const double* left, const double* right, double* out, int frames, double inputGain,
                    double compensation);
void gainsFromReductionsFours(double* values, int frames);
void ditherNoiseFours(Lanes::Quad& draws, double* left, double* right, int frames, double amplitude);
void mainPassFours(MainPass& pass, int frames);
void finishOutputFours(const FinishPass& pass, int frames, MeterExtremes& extremes);
// The same for AVX-512 (TARN_HAVE_EIGHTS).
void levelLogsEights(const double* left, const double* right, double* out, int frames, double inputGain,
                     double compensation);
void gainsFromReductionsEights(double* values, int frames);
void ditherNoiseEights(Lanes::Quad& draws, double* left, double* right, int frames, double amplitude);
void mainPassEights(MainPass& pass, int frames);
void finishOutputEights(const FinishPass& pass, int frames, MeterExtremes& extremes);
void finishOutputToSingleEights(const FinishPass& pass, float* outLeft, float* outRight, int frames,
                                MeterExtremes& extremes);

}  // namespace VectorPasses
