// The five parameters as a CLAP host sees them: ids equal to the VST 2.4 indices, values normalized
// 0..1 exactly as VST 2.4 hosts hold them (so automation moves the same value in both formats), and
// the display texts with their units, all derived from the parameter facts.
#pragma once

#include <clap/ext/params.h>

#include <cstdint>

namespace ClapFace {

void parameterInfo(int index, clap_param_info_t& info);
// "-6.0 dB", "250.0 ms", "50 %", "40dB", "24 bits": the VST 2.4 display text and its unit.
bool valueToText(int index, double value, char* text, std::uint32_t size);
// A number, optionally followed by the parameter's unit; false for anything else.
bool textToValue(int index, const char* text, double& value);

}  // namespace ClapFace
