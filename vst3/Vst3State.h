// The state a VST3 host hands the component: ours (the VST 2.4 bank chunk as it is), or what hosts that
// migrate a VST 2.4 project hand over: the plug-in's bank (.fxb form, 'CcnK' 'FBCh') or program (.fxp
// form, 'FPCh') holding the chunk, either alone or after the 'VstW' header the VST 2.4 wrappers write.
#pragma once

#include <cstddef>
#include <vector>

namespace Vst3Face {

// The VST 2.4 chunk inside the state; false for a wrapper that is cut short or made for another
// plug-in. A state in no wrapper is taken as the chunk itself (the effect checks it).
bool chunkOfState(const std::vector<unsigned char>& state, std::vector<unsigned char>& chunk);

}  // namespace Vst3Face
