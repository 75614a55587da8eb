#include "lv2/Lv2Midi.h"

#include <lv2/atom/util.h>

VstEvents* Lv2Midi::collect(const LV2_Atom_Sequence* sequence, std::int64_t from, std::int64_t to)
{
    if (!sequence || !midiEventType)
        return nullptr;
    int n = 0;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
    {
        const std::int64_t frame = event->time.frames;
        if (frame < from || frame >= to || event->body.type != midiEventType || n == capacity)
            continue;
        // Channel messages of up to three bytes; system exclusive has no use here.
        const auto* bytes = static_cast<const unsigned char*>(LV2_ATOM_BODY_CONST(&event->body));
        if (event->body.size == 0 || event->body.size > 3 || bytes[0] >= 0xF0)
            continue;
        VstMidiEvent& midi = storage[n];
        midi = VstMidiEvent{};
        midi.type = kVstMidiType;
        midi.byteSize = sizeof(VstMidiEvent);
        midi.deltaFrames = static_cast<VstInt32>(frame - from);
        for (std::uint32_t b = 0; b < event->body.size; ++b)
            midi.midiData[b] = static_cast<char>(bytes[b]);
        block.events[n++] = reinterpret_cast<VstEvent*>(&midi);
    }
    block.numEvents = n;
    return n ? reinterpret_cast<VstEvents*>(&block) : nullptr;
}
