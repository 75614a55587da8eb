// The limiter as an LV2 plug-in: the very effect of the VST plug-in, run through the driver, behind
// LV2's entry points, so both formats render the same file alike. Control ports carry display values;
// each reaches the effect as the normalized value the VST display stands for. Optional features only:
// without a URID map the MIDI port and the state are unused.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "driver/EffectDriver.h"
#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"
#include "lv2/BindingsBlob.h"
#include "lv2/Lv2Midi.h"
#include "lv2/Lv2Ports.h"

namespace {

const std::string bindingsKey = std::string(ProductFacts::lv2Uri) + "#bindings";

struct Instance {
    std::unique_ptr<Driver::EffectDriver> effect;
    const float* audioIn[2] = {nullptr, nullptr};
    float* audioOut[2] = {nullptr, nullptr};
    const float* controls[LimiterParams::count] = {};
    float lastControl[LimiterParams::count] = {};  // last port values taken over (NaN: none yet)
    float* latencyPort = nullptr;
    const LV2_Atom_Sequence* midiPort = nullptr;
    float* meterPorts[Lv2Ports::count - Lv2Ports::firstMeter] = {};
    Lv2Midi midi;
    Driver::ParamChange changes[LimiterParams::count];
    LV2_URID atomChunk = 0;
    LV2_URID bindingsKeyUrid = 0;

    void reportLatency()
    {
        if (latencyPort)
            *latencyPort = static_cast<float>(effect->latency());
    }

    // A port value changed since the last run reaches the effect at the run's start; an unchanged one
    // leaves the value a MIDI controller may have set meanwhile. Non-finite and out-of-range values
    // clamp. Returns how many changes there are.
    std::size_t takeControls()
    {
        std::size_t n = 0;
        for (int i = 0; i < LimiterParams::count; ++i) {
            if (!controls[i])
                continue;
            const float shown = *controls[i];
            if (std::memcmp(&shown, &lastControl[i], sizeof shown) == 0)
                continue;
            lastControl[i] = shown;
            changes[n++] = Driver::ParamChange{0, i, ParamUnits::normalizedValue(i, shown)};
        }
        return n;
    }

    void writeMeters()
    {
        const MeterBlock& m = effect->meters();
        const float values[] = {m.outPeak[0], m.outPeak[1],  m.outPower[0], m.outPower[1],
                                m.minGain,    m.peakHold[0], m.peakHold[1]};
        static_assert(sizeof values / sizeof *values == Lv2Ports::count - Lv2Ports::firstMeter, "one port each");
        for (unsigned i = 0; i < Lv2Ports::count - Lv2Ports::firstMeter; ++i)
            if (meterPorts[i])
                *meterPorts[i] = values[i];
    }
};

const void* featureData(const LV2_Feature* const* features, const char* uri)
{
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0)
            return (*features)->data;
    return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features)
{
    std::unique_ptr<Instance> instance(new (std::nothrow) Instance);
    if (!instance)
        return nullptr;
    // Made at the rate, so the latency is known before the first run; null for an absurd rate.
    instance->effect = Driver::EffectDriver::create(rate);
    if (!instance->effect)
        return nullptr;
    for (float& v : instance->lastControl)
        v = std::nanf("");
    if (const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map))) {
        instance->midi.setMidiEventType(map->map(map->handle, LV2_MIDI__MidiEvent));
        instance->atomChunk = map->map(map->handle, LV2_ATOM__Chunk);
        instance->bindingsKeyUrid = map->map(map->handle, bindingsKey.c_str());
    }
    return instance.release();
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    auto& instance = *static_cast<Instance*>(handle);
    using namespace Lv2Ports;
    if (port == inLeft || port == inRight)
        instance.audioIn[port - inLeft] = static_cast<const float*>(data);
    else if (port == outLeft || port == outRight)
        instance.audioOut[port - outLeft] = static_cast<float*>(data);
    else if (port >= firstControl && port < latency)
        instance.controls[port - firstControl] = static_cast<const float*>(data);
    else if (port == latency) {
        instance.latencyPort = static_cast<float*>(data);
        instance.reportLatency();
    } else if (port == midiIn)
        instance.midiPort = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port >= firstMeter && port < count)
        instance.meterPorts[port - firstMeter] = static_cast<float*>(data);
}

void activate(LV2_Handle handle)
{
    auto& instance = *static_cast<Instance*>(handle);
    instance.effect->restart();  // clears the signal state; the rate is the one given at instantiate
    instance.reportLatency();
}

void run(LV2_Handle handle, uint32_t frames)
{
    auto& instance = *static_cast<Instance*>(handle);
    instance.reportLatency();
    if (!instance.audioIn[0] || !instance.audioIn[1] || !instance.audioOut[0] || !instance.audioOut[1])
        return;
    Driver::BlockEvents events;
    events.changes = instance.changes;
    events.changeCount = instance.takeControls();
    events.midi = instance.midi.messages();
    events.midiCount = instance.midi.collect(instance.midiPort, frames);
    // In-place ports are fine: the effect reads its inputs into its own buffers first.
    instance.effect->process(instance.audioIn, instance.audioOut, frames, events);
    instance.writeMeters();
}

void cleanup(LV2_Handle handle) { delete static_cast<Instance*>(handle); }

LV2_State_Status saveState(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                           const LV2_Feature* const*)
{
    auto& instance = *static_cast<Instance*>(handle);
    if (!instance.bindingsKeyUrid)
        return LV2_STATE_ERR_NO_FEATURE;
    BindingsBlob::Keys keys;
    for (int i = 0; i < LimiterParams::count; ++i)
        keys[i] = instance.effect->binding(i);
    const std::vector<unsigned char> blob = BindingsBlob::write(keys);
    // A plain chunk of bytes, which every host can keep; the record's own header tells it is ours.
    return store(state, instance.bindingsKeyUrid, blob.data(), blob.size(), instance.atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status restoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state, uint32_t,
                              const LV2_Feature* const*)
{
    auto& instance = *static_cast<Instance*>(handle);
    if (!instance.bindingsKeyUrid)
        return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* data = retrieve(state, instance.bindingsKeyUrid, &size, &type, &flags);
    if (!data)
        return LV2_STATE_SUCCESS;  // a state saved without bindings: nothing bound to change
    BindingsBlob::Keys keys;
    if (type != instance.atomChunk || !BindingsBlob::read(data, size, keys))
        return LV2_STATE_ERR_BAD_TYPE;
    for (int i = 0; i < LimiterParams::count; ++i)
        instance.effect->bind(i, keys[i]);
    return LV2_STATE_SUCCESS;
}

const void* extensionData(const char* uri)
{
    static const LV2_State_Interface state = {saveState, restoreState};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor descriptor = {ProductFacts::lv2Uri, instantiate, connectPort, activate, run, nullptr, cleanup,
                                   extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
