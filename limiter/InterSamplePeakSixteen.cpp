// Built for AVX-512; everything inline here lands in the avx512 namespace.
#include "limiter/InterSamplePeakLoop.h"
#include "limiter/InterSamplePeakWidths.h"

void InterSamplePeakWidths::processSixteen(const InterSamplePeak::Filters& filters,
                                           InterSamplePeak::History& history, const double* left,
                                           const double* right, int frames, double* peaks)
{
    InterSamplePeakLoop::process<16>(filters, history, left, right, frames, peaks);
}
