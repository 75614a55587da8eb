#pragma once

#include <string>
#include <vector>

#include "bench/Lv2PeerHost.h"

// Adds a benchmark of another LV2 plug-in, found by its URI and run through our small LV2 host on the
// signal, rate and blocks of ours, with its control inputs set as given (the rest at their defaults).
void registerLv2PeerBenchmark(const std::string& uri, const std::vector<Lv2Peer::Setting>& settings);
