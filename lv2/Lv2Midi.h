// MIDI from the LV2 atom port as the driver takes it: the channel messages of one run with their frame
// offsets. Fixed storage: nothing is allocated on the audio thread; messages beyond the capacity of
// one run are dropped.
#pragma once

#include <lv2/atom/atom.h>

#include <cstddef>
#include <cstdint>

#include "driver/BlockEvents.h"

class Lv2Midi {
public:
    static constexpr std::size_t capacity = 1024;

    // The URID of midi:MidiEvent; 0 (no URID map offered) makes the port ignored.
    void setMidiEventType(std::uint32_t urid) { midiEventType = urid; }

    // The MIDI events of the sequence (null: none) that lie before frame `frames`, in its order.
    // Returns how many; they stay in messages() until the next call.
    std::size_t collect(const LV2_Atom_Sequence* sequence, std::uint32_t frames);
    const Driver::MidiMessage* messages() const { return storage; }

private:
    std::uint32_t midiEventType = 0;
    Driver::MidiMessage storage[capacity]{};
};
