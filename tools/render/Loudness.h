// Loudness and peaks of a file's audio, all measured with libebur128 (native build only): integrated
// loudness and loudness range (EBU R128), true peak (ITU-R BS.1770 oversampling) and sample peak.
#pragma once

#include <optional>

#include "tools/render/StereoAudio.h"

namespace Render {

// Empty where the audio is too short or too quiet to have a figure (silence has no loudness or peak;
// the loudness range needs 3 s).
struct LoudnessFigures {
    std::optional<double> integratedLufs, loudnessRangeLu, truePeakDbtp, samplePeakDbfs;
};

// The audio as its file holds it: one channel for a mono file.
LoudnessFigures measureLoudness(const StereoAudio& audio);

}  // namespace Render
