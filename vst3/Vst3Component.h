// One Tarn instance behind VST3's interfaces: a single component that is its own audio processor, edit
// controller and MIDI mapping, on the driver of the very effect of the VST 2.4 plug-in.
#pragma once

namespace Vst3Face {

// A new instance (one reference held by the caller), or null when the memory cannot be had; `iid` is
// the interface asked for, the pointer to it in `object`.
int createComponent(const unsigned char* iid, void** object);

}  // namespace Vst3Face
