// The limiter's vector passes, four frames at a time where the processor has AVX2 and two elsewhere;
// both widths give the same bits.
#pragma once

#include "limiter/Lanes.h"

namespace VectorPasses {

// out = ln(over) x compensation where over = max(|left|, |right|) x inputGain exceeds 1, else 0.
void levelLogs(const double* left, const double* right, double* out, int frames, double inputGain,
               double compensation);

// values = exp(-values).
void gainsFromReductions(double* values, int frames);

// The dither noise of `frames` frames (left, right); `draws` holds the next frame's four generator
// states and is advanced past them.
void ditherNoise(Lanes::Quad& draws, Lanes::Pair* noise, int frames, double amplitude);

// Tests run both widths: false keeps to pairs even where AVX2 is there.
void allowFours(bool allowed);

// The wide versions, built for AVX2 where the build has them (TARN_HAVE_FOURS); only called when the
// processor has it.
void levelLogsFours(const double* left, const double* right, double* out, int frames, double inputGain,
                    double compensation);
void gainsFromReductionsFours(double* values, int frames);
void ditherNoiseFours(Lanes::Quad& draws, Lanes::Pair* noise, int frames, double amplitude);

}  // namespace VectorPasses
