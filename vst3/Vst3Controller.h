// The VST3 plug-in's edit controller: the parameters (their facts, texts both ways, the values the
// host last gave it), the MIDI mapping of controllers onto hidden parameters, the programs as the root
// unit's program list, and the editor. Linked to its processor by the processor's message, it reads
// program names, MIDI learn and meters from the effect the processor runs; the values it shows are its
// own, as VST3 keeps them apart from the audio.
#pragma once

namespace Vst3Face {

// A new controller (one reference, the caller's, on the interface `iid` in `object`), or an error.
int createController(const unsigned char* iid, void** object);

}  // namespace Vst3Face
