#include "clap/ClapEvents.h"

#include <algorithm>

#include "limiter/LimiterParams.h"

namespace ClapFace {

void EventParts::begin(const clap_input_events_t* in, std::uint32_t frames)
{
    in_ = in;
    count_ = in ? in->size(in) : 0;
    index_ = 0;
    frames_ = frames;
    done_ = 0;
    finished_ = false;
}

bool EventParts::midiMessage(const clap_event_header_t& header, Driver::MidiMessage& message)
{
    if (header.space_id != CLAP_CORE_EVENT_SPACE_ID || header.type != CLAP_EVENT_MIDI ||
        header.size < sizeof(clap_event_midi_t))
        return false;
    const auto& midi = reinterpret_cast<const clap_event_midi_t&>(header);
    const unsigned char status = midi.data[0];
    if (status < 0x80 || status >= 0xF0)
        return false;
    const unsigned char kind = status & 0xF0;
    message.size = (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    message.bytes[0] = status;
    message.bytes[1] = midi.data[1] & 0x7F;
    message.bytes[2] = message.size == 3 ? (midi.data[2] & 0x7F) : 0;
    return true;
}

bool EventParts::next(std::uint32_t& from, std::uint32_t& to, Driver::BlockEvents& events)
{
    if (finished_)
        return false;
    from = done_;
    std::size_t changes = 0, messages = 0;
    to = frames_;
    for (; index_ < count_; ++index_) {
        const clap_event_header_t* header = in_->get(in_, index_);
        if (!header)
            continue;
        // Out of order counts as at the part's start, beyond the block as at its end.
        const std::uint32_t at = std::clamp(header->time, from, frames_);
        if (changes == capacity || messages == capacity) {
            if (at > from) {
                to = at;  // the rest starts a part of its own
                break;
            }
            continue;  // this many at one frame: the surplus is dropped
        }
        if (header->space_id != CLAP_CORE_EVENT_SPACE_ID)
            continue;
        if (header->type == CLAP_EVENT_PARAM_VALUE && header->size >= sizeof(clap_event_param_value_t)) {
            const auto& e = reinterpret_cast<const clap_event_param_value_t&>(*header);
            if (e.param_id < static_cast<clap_id>(LimiterParams::count) && e.value == e.value)
                changes_[changes++] = {at - from, static_cast<int>(e.param_id),
                                       static_cast<float>(std::clamp(e.value, 0.0, 1.0))};
        } else {
            Driver::MidiMessage m{};
            if (midiMessage(*header, m)) {
                m.frame = at - from;
                midi_[messages++] = m;
            }
        }
    }
    events = Driver::BlockEvents{changes_, changes, midi_, messages};
    done_ = to;
    finished_ = to >= frames_;
    return true;
}

}  // namespace ClapFace
