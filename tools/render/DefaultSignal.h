#pragma once

#include "tools/render/StereoAudio.h"

namespace Render {

// The built-in test signal: a loud drum-like pattern (kick, snare, hats) over a sustained bass tone,
// peaking well above full scale, so the limiter works most of the time.
StereoAudio defaultSignal(double sampleRate = 44100.0, double seconds = 8.0);

}  // namespace Render
