#pragma once

#include <string>

#include "tools/vsthost/HostedEffect.h"

// Adds a benchmark of another VST 2.4 plug-in, loaded through our host; `tarnSettings` sets the threshold
// as for ours (for another build of this plug-in).
void registerPeerBenchmark(const std::string& path, bool tarnSettings);
