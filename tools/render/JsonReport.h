// The report as JSON for scripts: the input's and the output's loudness and peaks (null where a file
// has none), the settings, the latency, the largest gain reduction and the times.
#pragma once

#include <string>

#include "tools/render/RenderJob.h"

namespace Render {

std::string jsonReport(const JobSettings& settings, const JobFiles& files, const JobResult& result);

// Through a temporary file, like the audio.
bool writeJsonReport(const std::string& path, const JobSettings& settings, const JobFiles& files,
                     const JobResult& result, std::string& error);

}  // namespace Render
