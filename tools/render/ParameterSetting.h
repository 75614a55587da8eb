// "--set NAME=VALUE": a plain number from 0 to 1 is the normalized value; a number with a unit (250ms,
// -6dB, 50%, 24bits) or a display word (40dB) is a display value, found through the plug-in's own texts.
#pragma once

#include <string>

#include "tools/vsthost/HostedEffect.h"

namespace Render {

struct ParameterSetting {
    std::string name;
    std::string value;
};

// Parses "NAME=VALUE"; false when there is no '='.
bool parseSetting(const std::string& text, ParameterSetting& setting);

// Applies the setting; false with a message when the name or the value is not understood.
bool applySetting(VstHost::HostedEffect& host, const ParameterSetting& setting, std::string& error);

}  // namespace Render
