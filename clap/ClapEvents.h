// A CLAP process call's input events as the driver takes them: parameter values and MIDI messages at
// their frames. Fixed storage, so the audio thread allocates nothing; when a block brings more events
// than it holds, the block is run in parts, each part carrying the events that fall in it.
#pragma once

#include <clap/events.h>

#include <cstddef>
#include <cstdint>

#include "driver/BlockEvents.h"

namespace ClapFace {

class EventParts {
public:
    static constexpr std::size_t capacity = 256;

    // Starts on a block's events (null: none).
    void begin(const clap_input_events_t* in, std::uint32_t frames);
    // The next part: [from, to) of the block and its events, with frames counted from `from`; false
    // once the block is done.
    bool next(std::uint32_t& from, std::uint32_t& to, Driver::BlockEvents& events);

    // A MIDI event's message, or false for what is not a channel message.
    static bool midiMessage(const clap_event_header_t& header, Driver::MidiMessage& message);

private:
    const clap_input_events_t* in_ = nullptr;
    std::uint32_t count_ = 0, index_ = 0, frames_ = 0, done_ = 0;
    bool finished_ = true;
    Driver::ParamChange changes_[capacity];
    Driver::MidiMessage midi_[capacity];
};

}  // namespace ClapFace
