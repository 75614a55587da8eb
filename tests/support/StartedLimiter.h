// The limiter as the renderer hosts it (through the VST 2.4 face), started at a rate and block size.
#pragma once

#include <memory>
#include <string>

#include "tests/support/TestEffect.h"
#include "tools/pluginhost/Vst2Plugin.h"

namespace TestSupport {

inline std::unique_ptr<PluginHost::Vst2Plugin> startedLimiter(double sampleRate, int blockSize)
{
    auto plugin = PluginHost::Vst2Plugin::create(limiterEntry);
    std::string ignored;  // a VST 2.4 start cannot fail
    plugin->start(sampleRate, blockSize, false, ignored);
    return plugin;
}

}  // namespace TestSupport
