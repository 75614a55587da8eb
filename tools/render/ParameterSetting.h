// "--set NAME=VALUE": a plain number from 0 to 1 is the normalized value; a number with the parameter's
// own unit (250ms, -6dB, 50%) is a display value, found through the plug-in's own texts; a switch (a
// control with a few display texts) takes only those (24bits, 40dB). Anything else is refused.
#pragma once

#include <string>

#include "tools/pluginhost/HostedPlugin.h"

namespace Render {

struct ParameterSetting {
    std::string name;
    std::string value;
};

// Parses "NAME=VALUE"; false when there is no '='.
bool parseSetting(const std::string& text, ParameterSetting& setting);

// The index of the parameter of that name (case and a final '.' ignored), or else of the one
// parameter whose name begins with it ("thresh" for "Threshold"); -1 for none.
int findParameterIndex(PluginHost::HostedPlugin& host, const std::string& name);
// Whether a parameter's name is the one asked for or begins with it (case and a final '.' ignored).
bool namesParameter(const std::string& name, const std::string& asked);

// Applies the setting; false with a message when the name or the value is not understood.
bool applySetting(PluginHost::HostedPlugin& host, const ParameterSetting& setting, std::string& error);

}  // namespace Render
