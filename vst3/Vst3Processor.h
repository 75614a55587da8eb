// The VST3 plug-in's audio half: the component and audio processor over the effect's driver (stereo in
// and out, 32- and 64-bit samples, parameter points at their offsets, mapped MIDI controllers, the
// bypass that keeps the latency, the program change, the state as the VST 2.4 chunk), and the
// connection point through which it tells its edit controller which effect it runs.
#pragma once

namespace Vst3Face {

// A new processor (one reference, the caller's, on the interface `iid` in `object`), or an error.
int createProcessor(const unsigned char* iid, void** object);

}  // namespace Vst3Face
