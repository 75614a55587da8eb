// The standard VST preset files around a plug-in's opaque chunk: .fxp ('FPCh', one program) and
// .fxb ('FBCh', the bank). Big-endian headers; the chunk itself travels as the plug-in wrote it.
#pragma once

#include <string>
#include <vector>

#include "host/vst24.h"
#include "tools/pluginhost/HostedPlugin.h"

namespace Render {

enum class PresetKind { program, bank };

struct PresetHeader {
    VstInt32 uniqueID = 0;
    VstInt32 version = 0;
    VstInt32 count = 0;  // parameters for a program, programs for a bank
    VstInt32 currentProgram = 0;
    std::string programName;
};

std::vector<unsigned char> wrapChunk(PresetKind kind, const PresetHeader& header, const std::vector<unsigned char>& chunk);
// The chunk inside a preset file made for the plug-in with this unique ID (0: a plug-in that has none
// to tell, whose own state reader decides); false with a reason.
bool unwrapChunk(PresetKind kind, const std::vector<unsigned char>& file, VstInt32 uniqueID,
                 std::vector<unsigned char>& chunk, std::string& error);

// Through the host the way a host's preset menu does it.
bool loadPresetFile(PluginHost::HostedPlugin& host, PresetKind kind, const std::string& path, std::string& error);
bool savePresetFile(PluginHost::HostedPlugin& host, PresetKind kind, const std::string& path, std::string& error);

}  // namespace Render
