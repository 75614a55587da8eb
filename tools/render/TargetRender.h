// Mastering to a loudness target: the renders of the threshold search (the plug-in, the ceiling stage
// and the file's rounding, measured for integrated loudness only, nothing written), one input at a time
// or an album's inputs gated together as one programme, re-read from their files on every pass so memory
// stays bounded whatever their length.
#pragma once

#include <string>
#include <vector>

#include "tools/render/LoudnessTarget.h"
#include "tools/render/RenderJob.h"

namespace Render {

// The settings with the threshold at `threshold` (normalized) and the make-up at 100 %.
JobSettings withThreshold(const JobSettings& settings, float threshold);

// Searches the threshold that brings `inputs` (empty names: the built-in default signal) together to
// settings.targetLufs. False with a message when a render failed; a target out of reach is a result.
bool searchTarget(PluginHost::PluginFile& pluginFile, const JobSettings& settings, const std::vector<std::string>& inputs,
                  TargetResult& result, std::string& error);

}  // namespace Render
