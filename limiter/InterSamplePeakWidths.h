// The detector's loop built for AVX2 (sums eight floats wide) and AVX-512 (sixteen), each in a file of
// its own compiled for that processor; only where the build has them (see the build file).
#pragma once

#include "limiter/InterSamplePeak.h"

namespace InterSamplePeakWidths {
void processEight(const InterSamplePeak::Filters& filters, InterSamplePeak::History& history, const double* left,
                  const double* right, int frames, double* peaks);
void processSixteen(const InterSamplePeak::Filters& filters, InterSamplePeak::History& history, const double* left,
                    const double* right, int frames, double* peaks);
}  // namespace InterSamplePeakWidths
