// The VST3 parameter IDs both halves of the plug-in agree on: the five at their VST 2.4 indices (so
// automation moves between the formats), the bypass and the program change after them, and one hidden
// parameter per MIDI channel and controller, which is how VST3 hosts deliver controllers (IMidiMapping).
#pragma once

#include <travesty/base.h>

#include "limiter/LimiterParams.h"

namespace Vst3Face {

constexpr v3_param_id bypassId = LimiterParams::count;
constexpr v3_param_id programId = LimiterParams::count + 1;
constexpr int visibleIds = LimiterParams::count + 2;
constexpr v3_param_id firstControllerId = 0x10000;
constexpr int controllerIds = 16 * 128;
constexpr int parameterCount = visibleIds + controllerIds;
// The programs as the root unit's one program list.
constexpr int32_t programListId = 1;

constexpr bool isLimiterParam(v3_param_id id) { return id < static_cast<v3_param_id>(LimiterParams::count); }
constexpr bool isControllerParam(v3_param_id id)
{
    return id >= firstControllerId && id < firstControllerId + static_cast<v3_param_id>(controllerIds);
}
// The controller parameter of a channel (0-15) and controller number (0-127).
constexpr v3_param_id controllerParam(int channel, int controller)
{
    return firstControllerId + static_cast<v3_param_id>(channel * 128 + controller);
}

}  // namespace Vst3Face
