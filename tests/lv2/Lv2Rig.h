// One instance of the built LV2 plug-in, loaded from its bundle and driven through its entry points as
// an LV2 host does: ports connected to buffers of our own, run in blocks of any length.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <map>
#include <string>
#include <vector>

#include "limiter/LimiterParams.h"
#include "lv2/Lv2Ports.h"

namespace TestSupport {

// The bundle's binary, loaded once; its descriptor.
const LV2_Descriptor* tarnLv2Descriptor();

// A URID map as hosts offer it.
class UridMap {
public:
    UridMap();
    LV2_URID map(const char* uri);
    const LV2_Feature* feature() { return &mapFeature; }

private:
    static LV2_URID mapThunk(LV2_URID_Map_Handle handle, const char* uri);
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map lv2Map;
    LV2_Feature mapFeature;
};

// A sequence of three-byte MIDI events in the atom layout hosts write.
struct MidiSequence {
    alignas(8) unsigned char bytes[1024] = {};
    MidiSequence(LV2_URID sequenceType, LV2_URID midiType,
                 const std::vector<std::pair<int64_t, std::vector<int>>>& events)
    {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(bytes);
        seq->atom.type = sequenceType;
        seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
        for (const auto& [frame, message] : events) {
            auto* event = reinterpret_cast<LV2_Atom_Event*>(bytes + sizeof(LV2_Atom) + seq->atom.size);
            event->time.frames = frame;
            event->body.type = midiType;
            event->body.size = static_cast<uint32_t>(message.size());
            auto* data = reinterpret_cast<unsigned char*>(event + 1);
            for (std::size_t i = 0; i < message.size(); ++i)
                data[i] = static_cast<unsigned char>(message[i]);
            seq->atom.size += static_cast<uint32_t>(sizeof(LV2_Atom_Event) + ((message.size() + 7) & ~7u));
        }
    }
    const LV2_Atom_Sequence* get() const { return reinterpret_cast<const LV2_Atom_Sequence*>(bytes); }
};

class Lv2Rig {
public:
    // features: null-terminated list, or null for none.
    Lv2Rig(double rate, const LV2_Feature* const* features = nullptr);
    ~Lv2Rig();
    Lv2Rig(const Lv2Rig&) = delete;
    Lv2Rig& operator=(const Lv2Rig&) = delete;

    bool ok() const { return handle != nullptr; }
    float controls[LimiterParams::count];  // display values; the descriptor's defaults at the start
    float latency = -1.0f;
    float meters[Lv2Ports::count - Lv2Ports::firstMeter] = {};

    void activate();
    // Runs the stereo input through in blocks of blockFrames; the output has the input's length.
    void process(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>& outL,
                 std::vector<float>& outR, int blockFrames, const LV2_Atom_Sequence* midi = nullptr);
    const LV2_State_Interface* state() const;
    LV2_Handle instance() const { return handle; }
    const LV2_Descriptor* descriptor() const { return plugin; }

private:
    const LV2_Descriptor* plugin;
    LV2_Handle handle = nullptr;
};

}  // namespace TestSupport
