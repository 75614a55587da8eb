// Built for AVX2; everything inline here lands in the avx2 namespace.
#include "limiter/InterSamplePeakLoop.h"
#include "limiter/InterSamplePeakWidths.h"

void InterSamplePeakWidths::processEight(const InterSamplePeak::Filters& filters, InterSamplePeak::History& history,
                                         const double* left, const double* right, int frames, double* peaks)
{
    InterSamplePeakLoop::process<8>(filters, history, left, right, frames, peaks);
}
