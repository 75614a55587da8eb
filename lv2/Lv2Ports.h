// The LV2 plug-in's ports in index order: what the plug-in connects and what its description lists.
#pragma once

#include "limiter/LimiterParams.h"

namespace Lv2Ports {

enum Index : unsigned {
    inLeft = 0,
    inRight,
    outLeft,
    outRight,
    firstControl,  // the five parameters, in the limiter's own order (symbols and names: LimiterParams)
    latency = firstControl + LimiterParams::count,
    midiIn,
    firstMeter,  // the meter values, in MeterBlock's order (see meterPorts)
    count = firstMeter + 7,
};

struct PortName {
    const char* symbol;
    const char* name;
};

// What the meter ports carry: the last MeterBlock published (linear levels and gain, 0..1).
constexpr PortName meterPorts[count - firstMeter] = {
    {"peak_l", "Output peak left"},    {"peak_r", "Output peak right"}, {"power_l", "Output power left"},
    {"power_r", "Output power right"}, {"min_gain", "Smallest gain"},   {"hold_l", "Peak hold left"},
    {"hold_r", "Peak hold right"},
};

}  // namespace Lv2Ports
