#pragma once

#include <string>

#include "tools/vsthost/HostedEffect.h"

// Adds a benchmark of another VST 2.4 plug-in, loaded through our host.
void registerPeerBenchmark(const std::string& path);
