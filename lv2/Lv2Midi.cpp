#include "lv2/Lv2Midi.h"

#include <lv2/atom/util.h>

std::size_t Lv2Midi::collect(const LV2_Atom_Sequence* sequence, std::uint32_t frames)
{
    if (!sequence || !midiEventType)
        return 0;
    std::size_t n = 0;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
    {
        const std::int64_t frame = event->time.frames;
        if (frame < 0 || frame >= frames || event->body.type != midiEventType || n == capacity)
            continue;
        // Channel messages of up to three bytes; system exclusive has no use here.
        const auto* bytes = static_cast<const unsigned char*>(LV2_ATOM_BODY_CONST(&event->body));
        if (event->body.size == 0 || event->body.size > 3 || bytes[0] >= 0xF0)
            continue;
        Driver::MidiMessage& message = storage[n++];
        message.frame = static_cast<std::uint32_t>(frame);
        message.size = static_cast<std::uint8_t>(event->body.size);
        for (std::uint32_t b = 0; b < event->body.size; ++b)
            message.bytes[b] = bytes[b];
    }
    return n;
}
