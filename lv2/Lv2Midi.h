// MIDI from the LV2 atom port, handed to the effect the VST way: the events of one stretch of a run
// become a VstEvents block with frame offsets from the stretch's start. Fixed storage: nothing is
// allocated on the audio thread; events beyond the capacity of one stretch are dropped.
#pragma once

#include <lv2/atom/atom.h>

#include <cstdint>

#include "host/vst24.h"

class Lv2Midi {
public:
    static constexpr int capacity = 512;

    // The URID of midi:MidiEvent; 0 (no URID map offered) makes the port ignored.
    void setMidiEventType(std::uint32_t urid) { midiEventType = urid; }

    // The events of [from, to) in the sequence (null: none), as a block for AudioEffect::processEvents;
    // null when there are none.
    VstEvents* collect(const LV2_Atom_Sequence* sequence, std::int64_t from, std::int64_t to);

private:
    struct EventBlock {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[capacity];
    };

    std::uint32_t midiEventType = 0;
    EventBlock block{};
    VstMidiEvent storage[capacity]{};
};
