// A controller message as a host hands it over: an event list of one MIDI event, passed to
// processEvents block after block (its value may change between blocks).
#pragma once

#include "host/vst24.h"

namespace TestSupport {

class ControllerEvents {
public:
    explicit ControllerEvents(int controller, int value = 0)
    {
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.midiData[0] = static_cast<char>(0xB0);
        event.midiData[1] = static_cast<char>(controller);
        setValue(value);
    }
    ControllerEvents(const ControllerEvents&) = delete;  // the list points at the event
    ControllerEvents& operator=(const ControllerEvents&) = delete;

    void setValue(int value) { event.midiData[2] = static_cast<char>(value); }
    VstEvents* events() { return reinterpret_cast<VstEvents*>(&list); }

private:
    VstMidiEvent event{};
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[2];
    } list{1, 0, {reinterpret_cast<VstEvent*>(&event), nullptr}};
};

}  // namespace TestSupport
