// What arrives with a block of audio besides the samples: parameter changes and MIDI messages, each at
// a frame counted from the block's start, each list in the order of its frames.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Driver {

struct ParamChange {
    std::uint32_t frame;
    int index;
    float value;  // normalized; clamped as the effect clamps
};

// A MIDI channel message of one to three bytes (system messages are not for this effect).
struct MidiMessage {
    std::uint32_t frame;
    std::uint8_t size;
    unsigned char bytes[3];
};

struct BlockEvents {
    const ParamChange* changes = nullptr;
    std::size_t changeCount = 0;
    const MidiMessage* midi = nullptr;
    std::size_t midiCount = 0;
};

}  // namespace Driver
