#pragma once

#include <ostream>

#include "tools/vsthost/HostedEffect.h"

// Prints what a host learns of a plug-in: descriptor, identity, pins, parameters, latency after resume.
void printDescriptorReport(VstHost::HostedEffect& host, std::ostream& out);
