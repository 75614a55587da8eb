// The true peak of a channel: the largest magnitude of the signal between its samples, found by
// oversampling (four times below 96 kHz, twice below 192 kHz) through a windowed-sinc interpolator
// whose phases include the samples themselves and the points halfway between them.
#pragma once

#include <cstddef>

namespace Render {

// Linear; never below the sample peak.
double truePeak(const float* samples, std::size_t count, double sampleRate);

}  // namespace Render
