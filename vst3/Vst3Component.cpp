#include "vst3/Vst3Component.h"

#include <travesty/audio_processor.h>
#include <travesty/bstream.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/unit.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "driver/EffectDriver.h"
#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"
#include "vst3/Vst3State.h"
#if TARN_VST3_EDITOR
#include "limiter/MeterBlock.h"
#include "vst3/Vst3View.h"
#endif

namespace Vst3Face {

namespace {

// Parameter IDs: the five at their VST 2.4 indices, the bypass and the program change after them, and
// one hidden parameter per MIDI channel and controller, which is how VST3 hosts deliver controllers
// (IMidiMapping).
constexpr v3_param_id bypassId = LimiterParams::count;
constexpr v3_param_id programId = LimiterParams::count + 1;
constexpr int visibleIds = LimiterParams::count + 2;
constexpr v3_param_id firstControllerId = 0x10000;
constexpr int controllerIds = 16 * 128;
constexpr int parameterCount = visibleIds + controllerIds;
// The programs as the root unit's one program list.
constexpr int32_t programListId = 1;
constexpr double rateBeforeSetup = 44100.0;
constexpr std::size_t largestState = 1 << 20;
// Events one process call hands the driver; more at one call are dropped.
constexpr std::size_t eventCapacity = 512;

template <class Event>
void sortByFrame(Event* events, std::size_t count)
{
    for (std::size_t i = 1; i < count; ++i) {
        const Event moving = events[i];
        std::size_t j = i;
        for (; j > 0 && events[j - 1].frame > moving.frame; --j)
            events[j] = events[j - 1];
        events[j] = moving;
    }
}

void putText(v3_str_128 to, const char* from)
{
    int i = 0;
    for (; i < 127 && from[i]; ++i)
        to[i] = static_cast<int16_t>(static_cast<unsigned char>(from[i]));
    to[i] = 0;
}

bool sameId(const v3_tuid a, const v3_tuid b) { return std::memcmp(a, b, sizeof(v3_tuid)) == 0; }

struct Component;

// Each interface the host holds is a pointer to one of these: its function table first, as VST3 lays an
// interface out, then the object it belongs to.
struct Face {
    const void* table;
    Component* owner;
};

Component& of(void* self) { return *static_cast<Face*>(self)->owner; }

struct Component
#if TARN_VST3_EDITOR
    : ViewOwner
#endif
{
    Face component{}, processor{}, controller{}, mapping{}, units{};
    std::atomic<std::uint32_t> references{1};

    std::unique_ptr<Driver::EffectDriver> driver;
    v3_component_handler** handler_ = nullptr;
    int reportedLatency = -1;
    std::atomic<bool> bypassed{false};
    // The dry signal, delayed by the latency while bypassed, so the host's compensation still holds.
    std::vector<double> dry[2];
    std::size_t dryAt = 0;
    int maxFrames = 4096;
    Driver::ParamChange changes[eventCapacity];
    Driver::MidiMessage midi[eventCapacity];
#if TARN_VST3_EDITOR
    PlugEdit::MeterMailbox mailbox{sizeof(MeterBlock)};
    Driver::EffectDriver& effect() override { return *driver; }
    PlugEdit::MeterMailbox& meters() override { return mailbox; }
    v3_component_handler** handler() override { return handler_; }
    void retain() override { references.fetch_add(1, std::memory_order_relaxed); }
    void release() override;
#endif

    v3_result query(const v3_tuid iid, void** object);
    void setLatencyIfChanged();
    template <class Sample> void process(v3_process_data& data, Sample** in, Sample** out);
    // The program change a process call brought (-1: none); made before the block, as VST 2.4 hosts
    // change programs between blocks.
    int program = -1;
    void gatherChanges(v3_param_changes** input, std::size_t& changeCount, std::size_t& midiCount);
    void reportEffectChanges(v3_param_changes** output);
};


v3_result Component::query(const v3_tuid iid, void** object)
{
    if (!object)
        return V3_INVALID_ARG;
    void* found = nullptr;
    if (sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_base_iid) || sameId(iid, v3_component_iid))
        found = &component;
    else if (sameId(iid, v3_audio_processor_iid))
        found = &processor;
    else if (sameId(iid, v3_edit_controller_iid))
        found = &controller;
    else if (sameId(iid, v3_midi_mapping_iid))
        found = &mapping;
    else if (sameId(iid, v3_unit_information_iid))
        found = &units;
    *object = found;
    if (!found)
        return V3_NO_INTERFACE;
    references.fetch_add(1, std::memory_order_relaxed);
    return V3_OK;
}

// --- FUnknown, for every interface -----------------------------------------------------------------

v3_result V3_API queryInterface(void* self, const v3_tuid iid, void** object) { return of(self).query(iid, object); }

uint32_t V3_API addReference(void* self) { return of(self).references.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t V3_API release(void* self)
{
    Component& c = of(self);
    const std::uint32_t left = c.references.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
        if (c.handler_)
            v3_cpp_obj_unref(c.handler_);
        delete &c;
    }
    return left;
}

constexpr v3_funknown unknown{queryInterface, addReference, release};

#if TARN_VST3_EDITOR
void Component::release() { Vst3Face::release(&component); }
#endif

// --- IPluginBase ---------------------------------------------------------------------------------

v3_result V3_API initialize(void*, v3_funknown**) { return V3_OK; }
v3_result V3_API terminate(void*) { return V3_OK; }

// --- IComponent -------------------------------------------------------------------------------------

// One object is the processor and the controller: hosts then ask the component for its controller.
v3_result V3_API controllerClassId(void*, v3_tuid) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API setIoMode(void*, int32_t) { return V3_OK; }

int32_t V3_API busCount(void*, int32_t media, int32_t direction)
{
    if (media == V3_AUDIO)
        return 1;
    return media == V3_EVENT && direction == V3_INPUT ? 1 : 0;
}

v3_result V3_API busInfo(void* self, int32_t media, int32_t direction, int32_t index, v3_bus_info* info)
{
    if (!info || index != 0 || busCount(self, media, direction) == 0)
        return V3_INVALID_ARG;
    *info = v3_bus_info{};
    info->media_type = media;
    info->direction = direction;
    info->channel_count = media == V3_AUDIO ? 2 : 16;
    putText(info->bus_name, media == V3_EVENT ? "MIDI controllers" : direction == V3_INPUT ? "Input" : "Output");
    info->bus_type = V3_MAIN;
    info->flags = V3_DEFAULT_ACTIVE;
    return V3_OK;
}

v3_result V3_API routingInfo(void*, v3_routing_info*, v3_routing_info*) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API activateBus(void*, int32_t, int32_t, int32_t, v3_bool) { return V3_OK; }

v3_result V3_API setActive(void* self, v3_bool active)
{
    Component& c = of(self);
    if (active) {
        c.driver->restart();
        for (auto& channel : c.dry)
            std::fill(channel.begin(), channel.end(), 0.0);
    }
    return V3_OK;
}

v3_result V3_API setState(void* self, v3_bstream** stream)
{
    Component& c = of(self);
    if (!stream)
        return V3_INVALID_ARG;
    std::vector<unsigned char> state;
    unsigned char buffer[4096];
    for (;;) {
        int32_t got = 0;
        if (v3_cpp_obj(stream)->read(stream, buffer, sizeof buffer, &got) != V3_OK || got < 0)
            return V3_FALSE;
        if (got == 0)
            break;
        state.insert(state.end(), buffer, buffer + got);
        if (state.size() > largestState)
            return V3_FALSE;
    }
    std::vector<unsigned char> chunk;
    if (!chunkOfState(state, chunk) || !c.driver->loadState(chunk.data(), chunk.size()))
        return V3_FALSE;
    c.driver->takeEffectChanges();  // the host reads the values back itself after a state
    return V3_OK;
}

v3_result V3_API getState(void* self, v3_bstream** stream)
{
    Component& c = of(self);
    if (!stream)
        return V3_INVALID_ARG;
    std::vector<unsigned char> chunk = c.driver->saveState();
    for (std::size_t done = 0; done < chunk.size();) {
        int32_t wrote = 0;
        const auto left = static_cast<int32_t>(std::min<std::size_t>(chunk.size() - done, 1 << 20));
        if (v3_cpp_obj(stream)->write(stream, chunk.data() + done, left, &wrote) != V3_OK || wrote <= 0)
            return V3_FALSE;
        done += static_cast<std::size_t>(wrote);
    }
    return V3_OK;
}

const v3_component_cpp componentVtable = {
    unknown,
    {initialize, terminate},
    {controllerClassId, setIoMode, busCount, busInfo, routingInfo, activateBus, setActive, setState, getState}};

// --- IAudioProcessor --------------------------------------------------------------------------------

constexpr v3_speaker_arrangement stereo = V3_SPEAKER_L | V3_SPEAKER_R;

v3_result V3_API setBusArrangements(void*, v3_speaker_arrangement* inputs, int32_t inputCount,
                                     v3_speaker_arrangement* outputs, int32_t outputCount)
{
    const bool ours = inputCount == 1 && outputCount == 1 && inputs && outputs && inputs[0] == stereo && outputs[0] == stereo;
    return ours ? V3_OK : V3_FALSE;
}

v3_result V3_API busArrangement(void*, int32_t, int32_t index, v3_speaker_arrangement* arrangement)
{
    if (index != 0 || !arrangement)
        return V3_INVALID_ARG;
    *arrangement = stereo;
    return V3_OK;
}

v3_result V3_API canProcessSampleSize(void*, int32_t size)
{
    return size == V3_SAMPLE_32 || size == V3_SAMPLE_64 ? V3_OK : V3_NOT_IMPLEMENTED;
}

uint32_t V3_API latencySamples(void* self)
{
    Component& c = of(self);
    c.reportedLatency = c.driver->latency();
    return static_cast<uint32_t>(c.reportedLatency);
}

void Component::setLatencyIfChanged()
{
    const int latency = driver->latency();
    if (reportedLatency >= 0 && latency != reportedLatency && handler_)
        v3_cpp_obj(handler_)->restart_component(handler_, V3_RESTART_LATENCY_CHANGED);
    reportedLatency = latency;
}

v3_result V3_API setupProcessing(void* self, v3_process_setup* setup)
{
    Component& c = of(self);
    if (!setup || setup->max_block_size <= 0 || !c.driver->setRate(setup->sample_rate))
        return V3_FALSE;
    c.maxFrames = setup->max_block_size;
    // Room for a block after the longest latency (384 frames at 768 kHz).
    for (auto& channel : c.dry)
        channel.assign(static_cast<std::size_t>(c.maxFrames) + 512, 0.0);
    c.dryAt = 0;
    c.setLatencyIfChanged();
    return V3_OK;
}

v3_result V3_API setProcessing(void*, v3_bool) { return V3_OK; }

// Changes to the five become the driver's changes at their offsets (in frame order across queues);
// controllers become MIDI; the bypass takes its last value.
void Component::gatherChanges(v3_param_changes** input, std::size_t& changeCount, std::size_t& midiCount)
{
    changeCount = midiCount = 0;
    program = -1;
    if (!input)
        return;
    const int32_t queues = v3_cpp_obj(input)->get_param_count(input);
    for (int32_t q = 0; q < queues; ++q) {
        v3_param_value_queue** queue = v3_cpp_obj(input)->get_param_data(input, q);
        if (!queue)
            continue;
        const v3_param_id id = v3_cpp_obj(queue)->get_param_id(queue);
        const int32_t points = v3_cpp_obj(queue)->get_point_count(queue);
        for (int32_t p = 0; p < points; ++p) {
            int32_t offset = 0;
            double value = 0.0;
            if (v3_cpp_obj(queue)->get_point(queue, p, &offset, &value) != V3_OK || !(value == value))
                continue;
            value = std::clamp(value, 0.0, 1.0);
            const auto frame = static_cast<std::uint32_t>(std::max(offset, 0));
            if (id < static_cast<v3_param_id>(LimiterParams::count) && changeCount < eventCapacity) {
                changes[changeCount++] = {frame, static_cast<int>(id), static_cast<float>(value)};
            } else if (id == bypassId) {
                bypassed.store(value >= 0.5, std::memory_order_relaxed);
            } else if (id == programId) {
                program = static_cast<int>(std::lround(value * (driver->programCount() - 1)));
            } else if (id >= firstControllerId && id < firstControllerId + controllerIds && midiCount < eventCapacity) {
                const int n = static_cast<int>(id - firstControllerId);
                const auto level = static_cast<unsigned char>(std::lround(value * 127.0));
                midi[midiCount++] = {frame, 3, {static_cast<unsigned char>(0xB0 | (n / 128)),
                                                static_cast<unsigned char>(n % 128), level}};
            }
        }
    }
    // Each queue is in order; across queues the driver wants one order, a queue's own kept (std::stable_sort
    // would take a buffer from the heap: an insertion sort, in place, on the few events a block brings).
    sortByFrame(changes, changeCount);
    sortByFrame(midi, midiCount);
}

// What the effect changed itself (a bound controller moving a parameter) goes back to the host.
void Component::reportEffectChanges(v3_param_changes** output)
{
    const std::uint32_t changed = driver->takeEffectChanges();
    if (!output || !changed)
        return;
    for (int i = 0; i < LimiterParams::count; ++i) {
        if (!(changed & (1u << i)))
            continue;
        v3_param_id id = static_cast<v3_param_id>(i);
        int32_t index = 0;
        v3_param_value_queue** queue = v3_cpp_obj(output)->add_param_data(output, &id, &index);
        if (queue)
            v3_cpp_obj(queue)->add_point(queue, 0, driver->parameter(i), &index);
    }
}

template <class Sample>
void Component::process(v3_process_data& data, Sample** in, Sample** out)
{
    std::size_t changeCount = 0, midiCount = 0;
    gatherChanges(data.input_params, changeCount, midiCount);
    const auto frames = static_cast<std::uint32_t>(std::max(data.nframes, 0));
    const std::size_t length = dry[0].size();
    const bool keepsDry = length > 0 && frames + 512 <= length;
    const bool bypassing = keepsDry && bypassed.load(std::memory_order_relaxed);
    // The dry frames go in before the effect runs (the host may hand the same buffers in and out), and
    // always, so a bypass switched on finds the latency's worth of them already there.
    if (keepsDry)
        for (int ch = 0; ch < 2; ++ch) {
            // In at most two straight runs: the ring's end, then its start.
            const std::size_t first = std::min<std::size_t>(frames, length - dryAt);
            std::copy(in[ch], in[ch] + first, dry[ch].begin() + static_cast<std::ptrdiff_t>(dryAt));
            std::copy(in[ch] + first, in[ch] + frames, dry[ch].begin());
        }
    if (program >= 0)
        driver->setProgram(program);
    const Sample* inputs[2] = {in[0], in[1]};
    driver->process(inputs, out, frames, Driver::BlockEvents{changes, changeCount, midi, midiCount});
    if (bypassing) {
        const std::size_t from = (dryAt + length - static_cast<std::size_t>(driver->latency())) % length;
        const std::size_t first = std::min<std::size_t>(frames, length - from);
        for (int ch = 0; ch < 2; ++ch) {
            const auto start = dry[ch].begin() + static_cast<std::ptrdiff_t>(from);
            std::transform(start, start + static_cast<std::ptrdiff_t>(first), out[ch], [](double v) { return static_cast<Sample>(v); });
            std::transform(dry[ch].begin(), dry[ch].begin() + static_cast<std::ptrdiff_t>(frames - first), out[ch] + first,
                           [](double v) { return static_cast<Sample>(v); });
        }
    }
    if (keepsDry)
        dryAt = (dryAt + frames) % length;
    reportEffectChanges(data.output_params);
}

v3_result V3_API processAudio(void* self, v3_process_data* data)
{
    Component& c = of(self);
    if (!data)
        return V3_INVALID_ARG;
    if (data->nframes > 0 && (data->num_input_buses < 1 || data->num_output_buses < 1 || !data->inputs ||
                              !data->outputs || data->inputs[0].num_channels < 2 || data->outputs[0].num_channels < 2))
        return V3_INVALID_ARG;
    if (data->nframes <= 0) {  // parameter changes alone: made now
        static float* none[2] = {nullptr, nullptr};
        v3_process_data empty = *data;
        empty.nframes = 0;
        c.process(empty, none, none);
        return V3_OK;
    }
    if (data->symbolic_sample_size == V3_SAMPLE_64)
        c.process(*data, data->inputs[0].channel_buffers_64, data->outputs[0].channel_buffers_64);
    else
        c.process(*data, data->inputs[0].channel_buffers_32, data->outputs[0].channel_buffers_32);
    data->outputs[0].channel_silence_bitset = 0;
    return V3_OK;
}

// The look-ahead delays; after the input stops, the delayed frames follow.
uint32_t V3_API tailSamples(void* self) { return static_cast<uint32_t>(of(self).driver->latency()); }

const v3_audio_processor_cpp processorVtable = {
    unknown,
    {setBusArrangements, busArrangement, canProcessSampleSize, latencySamples, setupProcessing, setProcessing,
     processAudio, tailSamples}};

// --- IEditController --------------------------------------------------------------------------------

v3_result V3_API setComponentState(void*, v3_bstream**) { return V3_OK; }  // the component's own
v3_result V3_API controllerSetState(void*, v3_bstream**) { return V3_OK; }
v3_result V3_API controllerGetState(void*, v3_bstream**) { return V3_OK; }
int32_t V3_API controllerParameterCount(void*) { return parameterCount; }

v3_result V3_API parameterInfo(void*, int32_t index, v3_param_info* info)
{
    if (!info || index < 0 || index >= parameterCount)
        return V3_INVALID_ARG;
    *info = v3_param_info{};
    if (index < LimiterParams::count) {
        const LimiterParams::Declaration& d = LimiterParams::declarations[index];
        info->param_id = static_cast<v3_param_id>(index);
        putText(info->title, d.title);
        putText(info->short_title, d.name);
        putText(info->units, LimiterParams::hostLabel(d));
        info->step_count = LimiterParams::isSwitch(index) ? 1 : 0;
        info->default_normalised_value = d.defaultValue;
        info->flags = V3_PARAM_CAN_AUTOMATE;
    } else if (index == LimiterParams::count) {
        info->param_id = bypassId;
        putText(info->title, "Bypass");
        putText(info->short_title, "Bypass");
        info->step_count = 1;
        info->flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_BYPASS;
    } else if (index == LimiterParams::count + 1) {
        info->param_id = programId;
        putText(info->title, "Program");
        putText(info->short_title, "Program");
        info->step_count = 7;
        info->flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_LIST | V3_PARAM_PROGRAM_CHANGE;
    } else {
        const int n = index - visibleIds;
        info->param_id = firstControllerId + static_cast<v3_param_id>(n);
        putText(info->title, "MIDI controller");
        info->step_count = 127;
        info->flags = V3_PARAM_IS_HIDDEN | V3_PARAM_READ_ONLY;
    }
    return V3_OK;
}

v3_result V3_API stringForValue(void* self, v3_param_id id, double value, v3_str_128 output)
{
    char text[32] = {};
    if (id == programId) {
        const Component& c = of(self);
        putText(output, c.driver->programName(static_cast<int>(std::lround(value * (c.driver->programCount() - 1)))).c_str());
        return V3_OK;
    }
    if (id < static_cast<v3_param_id>(LimiterParams::count)) {
        if (!ParamUnits::displayText(static_cast<int>(id), static_cast<float>(value), text, sizeof text))
            return V3_INVALID_ARG;
    } else if (id == bypassId) {
        std::strcpy(text, value >= 0.5 ? "on" : "off");
    } else {
        return V3_INVALID_ARG;
    }
    putText(output, text);
    return V3_OK;
}

v3_result V3_API valueForString(void*, v3_param_id id, int16_t* input, double* output)
{
    if (!input || !output || id >= static_cast<v3_param_id>(LimiterParams::count))
        return V3_INVALID_ARG;
    char text[128] = {};
    for (int i = 0; i < 127 && input[i]; ++i)
        text[i] = input[i] > 0 && input[i] < 128 ? static_cast<char>(input[i]) : '?';
    char* end = nullptr;
    const double shown = std::strtod(text, &end);
    const char* unit = LimiterParams::declarations[id].unit;
    while (*end == ' ')
        ++end;
    bool sameUnit = true;
    for (std::size_t i = 0; end[i] || unit[i]; ++i)
        sameUnit = sameUnit && std::tolower(static_cast<unsigned char>(end[i])) == std::tolower(static_cast<unsigned char>(unit[i]));
    if (end == text || !std::isfinite(shown) || (*end && !sameUnit))
        return V3_FALSE;
    *output = ParamUnits::normalizedValue(static_cast<int>(id), shown);
    return V3_OK;
}

// Plain values are the display values (dB, ms, %, the meter range, bits).
double V3_API toPlain(void*, v3_param_id id, double normalized)
{
    return id < static_cast<v3_param_id>(LimiterParams::count)
               ? ParamUnits::displayValue(static_cast<int>(id), static_cast<float>(normalized))
               : normalized;
}

double V3_API toNormalized(void*, v3_param_id id, double plain)
{
    return id < static_cast<v3_param_id>(LimiterParams::count) ? ParamUnits::normalizedValue(static_cast<int>(id), plain)
                                                                : std::clamp(plain, 0.0, 1.0);
}

double V3_API parameterNormalized(void* self, v3_param_id id)
{
    Component& c = of(self);
    if (id < static_cast<v3_param_id>(LimiterParams::count))
        return c.driver->parameter(static_cast<int>(id));
    if (id == programId)
        return static_cast<double>(c.driver->currentProgram()) / (c.driver->programCount() - 1);
    return id == bypassId && c.bypassed.load(std::memory_order_relaxed) ? 1.0 : 0.0;
}

v3_result V3_API setParameterNormalized(void* self, v3_param_id id, double value)
{
    Component& c = of(self);
    if (!(value == value))
        return V3_INVALID_ARG;
    if (id < static_cast<v3_param_id>(LimiterParams::count))
        c.driver->setParameter(static_cast<int>(id), static_cast<float>(value));
    else if (id == bypassId)
        c.bypassed.store(value >= 0.5, std::memory_order_relaxed);
    else if (id == programId)
        c.driver->setProgram(static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * (c.driver->programCount() - 1))));
    else
        return V3_INVALID_ARG;
    return V3_OK;
}

v3_result V3_API setComponentHandler(void* self, v3_component_handler** handler)
{
    Component& c = of(self);
    if (handler)
        v3_cpp_obj_ref(handler);
    if (c.handler_)
        v3_cpp_obj_unref(c.handler_);
    c.handler_ = handler;
    return V3_OK;
}

#if TARN_VST3_EDITOR
v3_plugin_view** V3_API createView(void* self, const char* name)
{
    return name && std::strcmp(name, "editor") == 0 ? Vst3Face::createView(of(self)) : nullptr;
}
#else
// The Windows edition has no editor yet.
v3_plugin_view** V3_API createView(void*, const char*) { return nullptr; }
#endif

const v3_edit_controller_cpp controllerVtable = {
    unknown,
    {initialize, terminate},
    {setComponentState, controllerSetState, controllerGetState, controllerParameterCount, parameterInfo, stringForValue,
     valueForString, toPlain, toNormalized, parameterNormalized, setParameterNormalized, setComponentHandler,
     createView}};

// --- IMidiMapping: every controller on every channel of the MIDI bus has its hidden parameter -------

v3_result V3_API controllerAssignment(void*, int32_t bus, int16_t channel, int16_t controller, v3_param_id* id)
{
    if (bus != 0 || channel < 0 || channel > 15 || controller < 0 || controller > 127 || !id)
        return V3_FALSE;
    *id = firstControllerId + static_cast<v3_param_id>(channel * 128 + controller);
    return V3_OK;
}

const v3_midi_mapping_cpp mappingVtable = {unknown, {controllerAssignment}};

// --- IUnitInfo: the root unit and its program list, the eight programs by name ---------------------

int32_t V3_API unitCount(void*) { return 1; }

v3_result V3_API unitInfo(void*, int32_t index, v3_unit_info* info)
{
    if (index != 0 || !info)
        return V3_INVALID_ARG;
    *info = v3_unit_info{};
    info->id = 0;
    info->parent_unit_id = -1;
    putText(info->name, "Root");
    info->program_list_id = programListId;
    return V3_OK;
}

int32_t V3_API programListCount(void*) { return 1; }

v3_result V3_API programListInfo(void* self, int32_t index, v3_program_list_info* info)
{
    if (index != 0 || !info)
        return V3_INVALID_ARG;
    *info = v3_program_list_info{};
    info->id = programListId;
    putText(info->name, "Programs");
    info->programCount = of(self).driver->programCount();
    return V3_OK;
}

v3_result V3_API programName(void* self, int32_t list, int32_t index, v3_str_128 name)
{
    const Component& c = of(self);
    if (list != programListId || index < 0 || index >= c.driver->programCount())
        return V3_INVALID_ARG;
    putText(name, c.driver->programName(index).c_str());
    return V3_OK;
}

v3_result V3_API programInfo(void*, int32_t, int32_t, const char*, v3_str_128) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API hasPitchNames(void*, int32_t, int32_t) { return V3_FALSE; }
v3_result V3_API pitchName(void*, int32_t, int32_t, int16_t, v3_str_128) { return V3_NOT_IMPLEMENTED; }
int32_t V3_API selectedUnit(void*) { return 0; }
v3_result V3_API selectUnit(void*, int32_t unit) { return unit == 0 ? V3_OK : V3_INVALID_ARG; }
v3_result V3_API unitByBus(void*, int32_t, int32_t, int32_t, int32_t, int32_t* unit)
{
    if (!unit)
        return V3_INVALID_ARG;
    *unit = 0;
    return V3_OK;
}
v3_result V3_API unitProgramData(void*, int32_t, int32_t, v3_bstream**) { return V3_NOT_IMPLEMENTED; }

const v3_unit_information_cpp unitVtable = {
    unknown,
    {unitCount, unitInfo, programListCount, programListInfo, programName, programInfo, hasPitchNames, pitchName,
     selectedUnit, selectUnit, unitByBus, unitProgramData}};

}  // namespace

int createComponent(const unsigned char* iid, void** object)
{
    auto* c = new (std::nothrow) Component;
    if (!c)
        return V3_NOMEM;
    c->component = {&componentVtable, c};
    c->processor = {&processorVtable, c};
    c->controller = {&controllerVtable, c};
    c->mapping = {&mappingVtable, c};
    c->units = {&unitVtable, c};
    c->driver = Driver::EffectDriver::create(rateBeforeSetup);
    if (!c->driver) {
        delete c;
        return V3_NOMEM;
    }
#if TARN_VST3_EDITOR
    c->driver->setMeterListener(&c->mailbox);
#endif
    const v3_result result = c->query(iid, object);
    release(&c->component);  // the query's reference is the caller's
    return result;
}

}  // namespace Vst3Face
