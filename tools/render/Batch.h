// Several files with the same settings: one report line each, then a summary. A file that fails is
// reported and skipped; the others are still rendered.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/render/RenderJob.h"

namespace Render {

struct BatchFolders {
    std::string output;  // every output goes here under its input's name
    std::string plot, json;  // empty: none; else one picture or report per input, named after it
};

// The output's name for an input: its file name in the folder, with the extension of the output's
// container when --format changes it.
std::string batchOutputPath(const std::string& input, const std::string& folder, int outputFormat);

// How many files failed.
int renderBatch(PluginHost::PluginFile& pluginFile, const JobSettings& settings, const std::vector<std::string>& inputs,
                const BatchFolders& folders, std::ostream& out);

}  // namespace Render
