#include "vst3/Vst3Processor.h"

#include <travesty/audio_processor.h>
#include <travesty/bstream.h>
#include <travesty/component.h>
#include <travesty/message.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

#include "vst3/SharedEffect.h"
#include "vst3/Vst3Com.h"
#include "vst3/Vst3Ids.h"
#include "vst3/Vst3Link.h"
#include "vst3/Vst3Params.h"
#include "vst3/Vst3State.h"
#include "vst3/Vst3Stream.h"

namespace Vst3Face {

namespace {

// Events one process call hands the driver; more at one call are dropped.
constexpr std::size_t eventCapacity = 512;
// The longest latency (at the highest rate) the bypass's delay line must hold beyond a block.
constexpr std::size_t longestLatency = 512;

template <class Event> void sortByFrame(Event* events, std::size_t count)
{
    for (std::size_t i = 1; i < count; ++i) {
        const Event moving = events[i];
        std::size_t j = i;
        for (; j > 0 && events[j - 1].frame > moving.frame; --j)
            events[j] = events[j - 1];
        events[j] = moving;
    }
}

struct Processor {
    Face<Processor> component{}, processor{}, connection{};
    std::atomic<std::uint32_t> references{1};
    SharedEffect* shared = nullptr;
    v3_connection_point** peer = nullptr;
    int reportedLatency = -1;
    // The bypass as the last process call set it (the audio thread's alone).
    bool bypassed = false;
    // The input as it came, in a ring long enough for a block after the longest latency: a bypass
    // plays it delayed by the latency, so the host's compensation still holds.
    std::vector<double> dry[2];
    std::size_t dryAt = 0;
    Driver::ParamChange changes[eventCapacity];
    Driver::MidiMessage midi[eventCapacity];
    // The program change a process call brought (-1: none); made before the block, as VST 2.4 hosts
    // change programs between blocks.
    int program = -1;

    ~Processor()
    {
        if (peer)
            v3_cpp_obj_unref(peer);
        if (shared)
            shared->release();
    }
    Driver::EffectDriver& driver() { return shared->driver(); }
    v3_result query(const v3_tuid iid, void** object);
    void gatherChanges(v3_param_changes** input, std::size_t& changeCount, std::size_t& midiCount);
    void reportEffectChanges(v3_param_changes** output);
    template <class Sample> void keepDry(Sample** in, std::uint32_t frames, std::size_t from);
    template <class Sample> void playDry(Sample** out, std::uint32_t frames);
    template <class Sample> void process(v3_process_data& data, Sample** in, Sample** out);
};

Processor& of(void* self) { return ownerOf<Processor>(self); }

v3_result Processor::query(const v3_tuid iid, void** object)
{
    if (!object)
        return V3_INVALID_ARG;
    void* found = nullptr;
    if (sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_base_iid) || sameId(iid, v3_component_iid))
        found = &component;
    else if (sameId(iid, v3_audio_processor_iid))
        found = &processor;
    else if (sameId(iid, v3_connection_point_iid))
        found = &connection;
    return answerQuery(found, object, references);
}

// --- FUnknown, for every interface -----------------------------------------------------------------

constexpr v3_funknown unknown = Counted<Processor>::unknown;

// --- IPluginBase -------------------------------------------------------------------------------------

v3_result V3_API initialize(void*, v3_funknown**) { return V3_OK; }
v3_result V3_API terminate(void*) { return V3_OK; }

// --- IComponent -------------------------------------------------------------------------------------

v3_result V3_API controllerClassId(void*, v3_tuid id)
{
    if (!id)
        return V3_INVALID_ARG;
    Vst3Face::controllerClassId(id);
    return V3_OK;
}

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
    putText(info->bus_name, 128, media == V3_EVENT ? "MIDI controllers" : direction == V3_INPUT ? "Input" : "Output");
    info->bus_type = V3_MAIN;
    info->flags = V3_DEFAULT_ACTIVE;
    return V3_OK;
}

v3_result V3_API routingInfo(void*, v3_routing_info*, v3_routing_info*) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API activateBus(void*, int32_t, int32_t, int32_t, v3_bool) { return V3_OK; }

v3_result V3_API setActive(void* self, v3_bool active)
{
    Processor& p = of(self);
    if (active) {
        p.driver().restart();
        for (auto& channel : p.dry)
            std::fill(channel.begin(), channel.end(), 0.0);
    }
    return V3_OK;
}

v3_result V3_API setState(void* self, v3_bstream** stream)
{
    Processor& p = of(self);
    if (!stream)
        return V3_INVALID_ARG;
    std::vector<unsigned char> state;
    if (!readWholeStream(stream, state))
        return V3_FALSE;
    std::vector<unsigned char> chunk;
    if (!chunkOfState(state, chunk) || !p.driver().loadState(chunk.data(), chunk.size()))
        return V3_FALSE;
    // The host reads the values back through the controller (setComponentState), not from the audio.
    p.driver().takeEffectChanges();
    return V3_OK;
}

v3_result V3_API getState(void* self, v3_bstream** stream)
{
    Processor& p = of(self);
    if (!stream)
        return V3_INVALID_ARG;
    const std::vector<unsigned char> chunk = p.driver().saveState();
    for (std::size_t done = 0; done < chunk.size();) {
        int32_t wrote = 0;
        const auto left = static_cast<int32_t>(std::min<std::size_t>(chunk.size() - done, 1 << 20));
        if (v3_cpp_obj(stream)->write(stream, const_cast<unsigned char*>(chunk.data()) + done, left, &wrote) != V3_OK ||
            wrote <= 0)
            return V3_FALSE;
        done += static_cast<std::size_t>(wrote);
    }
    return V3_OK;
}

const v3_component_cpp componentTable = {
    unknown,
    {initialize, terminate},
    {controllerClassId, setIoMode, busCount, busInfo, routingInfo, activateBus, setActive, setState, getState}};

// --- IAudioProcessor --------------------------------------------------------------------------------

constexpr v3_speaker_arrangement stereo = V3_SPEAKER_L | V3_SPEAKER_R;

v3_result V3_API setBusArrangements(void*, v3_speaker_arrangement* inputs, int32_t inputCount,
                                    v3_speaker_arrangement* outputs, int32_t outputCount)
{
    const bool ours =
        inputCount == 1 && outputCount == 1 && inputs && outputs && inputs[0] == stereo && outputs[0] == stereo;
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
    Processor& p = of(self);
    p.reportedLatency = p.driver().latency();
    return static_cast<uint32_t>(p.reportedLatency);
}

// A new rate may change the latency: the host hears of it (through the controller's handler, as VST3
// has it) once the latency it was told differs.
v3_result V3_API setupProcessing(void* self, v3_process_setup* setup)
{
    Processor& p = of(self);
    if (!setup || setup->max_block_size <= 0 || !p.driver().setRate(setup->sample_rate))
        return V3_FALSE;
    for (auto& channel : p.dry)
        channel.assign(static_cast<std::size_t>(setup->max_block_size) + longestLatency, 0.0);
    p.dryAt = 0;
    const int latency = p.driver().latency();
    if (p.reportedLatency >= 0 && latency != p.reportedLatency)
        p.shared->restartHost(V3_RESTART_LATENCY_CHANGED);
    p.reportedLatency = latency;
    return V3_OK;
}

v3_result V3_API setProcessing(void*, v3_bool) { return V3_OK; }

// Points of the five become the driver's changes at their offsets (in frame order across queues);
// controllers become MIDI messages; the bypass and the program take their last point.
void Processor::gatherChanges(v3_param_changes** input, std::size_t& changeCount, std::size_t& midiCount)
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
        for (int32_t i = 0; i < points; ++i) {
            int32_t offset = 0;
            double value = 0.0;
            if (v3_cpp_obj(queue)->get_point(queue, i, &offset, &value) != V3_OK || !(value == value))
                continue;
            value = std::clamp(value, 0.0, 1.0);
            const auto frame = static_cast<std::uint32_t>(std::max(offset, 0));
            if (isLimiterParam(id) && changeCount < eventCapacity) {
                changes[changeCount++] = {frame, static_cast<int>(id), static_cast<float>(value)};
            } else if (id == bypassId) {
                bypassed = value >= 0.5;
            } else if (id == programId) {
                program = static_cast<int>(std::lround(value * (Driver::EffectDriver::programs - 1)));
            } else if (isControllerParam(id) && midiCount < eventCapacity) {
                const int n = static_cast<int>(id - firstControllerId);
                const auto level = static_cast<unsigned char>(std::lround(value * 127.0));
                midi[midiCount++] = {
                    frame,
                    3,
                    {static_cast<unsigned char>(0xB0 | (n / 128)), static_cast<unsigned char>(n % 128), level}};
            }
        }
    }
    // Each queue is in order; across queues the driver wants one order, a queue's own kept (std::stable_sort
    // would take a buffer from the heap: an insertion sort, in place, on the few events a block brings).
    sortByFrame(changes, changeCount);
    sortByFrame(midi, midiCount);
}

// What the effect changed itself (a program, a bound controller) goes back to the host.
void Processor::reportEffectChanges(v3_param_changes** output)
{
    const std::uint32_t changed = driver().takeEffectChanges();
    if (!output || !changed)
        return;
    for (int i = 0; i < LimiterParams::count; ++i) {
        if (!(changed & (1u << i)))
            continue;
        v3_param_id id = static_cast<v3_param_id>(i);
        int32_t index = 0;
        v3_param_value_queue** queue = v3_cpp_obj(output)->add_param_data(output, &id, &index);
        if (queue)
            v3_cpp_obj(queue)->add_point(queue, 0, driver().parameter(i), &index);
    }
}

// The input frames from `from` on into the ring, in at most two straight runs (its end, its start).
template <class Sample> void Processor::keepDry(Sample** in, std::uint32_t frames, std::size_t from)
{
    const std::size_t length = dry[0].size();
    const std::size_t at = (dryAt + from) % length;
    const std::size_t first = std::min<std::size_t>(frames - from, length - at);
    for (int ch = 0; ch < 2; ++ch) {
        std::copy(in[ch] + from, in[ch] + from + first, dry[ch].begin() + static_cast<std::ptrdiff_t>(at));
        std::copy(in[ch] + from + first, in[ch] + frames, dry[ch].begin());
    }
}

// The block's input as it came a latency ago.
template <class Sample> void Processor::playDry(Sample** out, std::uint32_t frames)
{
    const std::size_t length = dry[0].size();
    const std::size_t from = (dryAt + length - static_cast<std::size_t>(driver().latency())) % length;
    const std::size_t first = std::min<std::size_t>(frames, length - from);
    const auto toSample = [](double v) { return static_cast<Sample>(v); };
    for (int ch = 0; ch < 2; ++ch) {
        const auto start = dry[ch].begin() + static_cast<std::ptrdiff_t>(from);
        std::transform(start, start + static_cast<std::ptrdiff_t>(first), out[ch], toSample);
        std::transform(dry[ch].begin(), dry[ch].begin() + static_cast<std::ptrdiff_t>(frames - first), out[ch] + first,
                       toSample);
    }
}

template <class Sample> void Processor::process(v3_process_data& data, Sample** in, Sample** out)
{
    std::size_t changeCount = 0, midiCount = 0;
    gatherChanges(data.input_params, changeCount, midiCount);
    const auto frames = static_cast<std::uint32_t>(std::max(data.nframes, 0));
    const bool keepsDry = !dry[0].empty() && frames + longestLatency <= dry[0].size();
    const bool bypassing = keepsDry && bypassed;
    // Before the effect runs (the host may hand the same buffers in and out): the whole block when it
    // is played dry, otherwise only the latency's worth a bypass starting next would need.
    if (keepsDry) {
        const auto needed = std::min<std::size_t>(frames, static_cast<std::size_t>(driver().latency()));
        keepDry(in, frames, bypassing ? 0 : frames - needed);
    }
    if (program >= 0)
        driver().setProgram(program);
    const Sample* inputs[2] = {in[0], in[1]};
    driver().process(inputs, out, frames, Driver::BlockEvents{changes, changeCount, midi, midiCount});
    if (bypassing)
        playDry(out, frames);
    if (keepsDry)
        dryAt = (dryAt + frames) % dry[0].size();
    reportEffectChanges(data.output_params);
}

v3_result V3_API processAudio(void* self, v3_process_data* data)
{
    Processor& p = of(self);
    if (!data)
        return V3_INVALID_ARG;
    if (data->nframes > 0 && (data->num_input_buses < 1 || data->num_output_buses < 1 || !data->inputs ||
                              !data->outputs || data->inputs[0].num_channels < 2 || data->outputs[0].num_channels < 2))
        return V3_INVALID_ARG;
    if (data->nframes <= 0) {  // parameter changes alone: made now
        static float* none[2] = {nullptr, nullptr};
        v3_process_data empty = *data;
        empty.nframes = 0;
        p.process(empty, none, none);
        return V3_OK;
    }
    if (data->symbolic_sample_size == V3_SAMPLE_64)
        p.process(*data, data->inputs[0].channel_buffers_64, data->outputs[0].channel_buffers_64);
    else
        p.process(*data, data->inputs[0].channel_buffers_32, data->outputs[0].channel_buffers_32);
    data->outputs[0].channel_silence_bitset = 0;
    return V3_OK;
}

// The look-ahead delays; after the input stops, the delayed frames follow.
uint32_t V3_API tailSamples(void* self) { return static_cast<uint32_t>(of(self).driver().latency()); }

const v3_audio_processor_cpp processorTable = {unknown,
                                               {setBusArrangements, busArrangement, canProcessSampleSize,
                                                latencySamples, setupProcessing, setProcessing, processAudio,
                                                tailSamples}};

// --- IConnectionPoint: the controller is told which effect this is --------------------------------

v3_result V3_API connect(void* self, v3_connection_point** other)
{
    Processor& p = of(self);
    if (!other)
        return V3_INVALID_ARG;
    if (p.peer)
        return V3_FALSE;  // one controller
    v3_cpp_obj_ref(other);
    p.peer = other;
    sendLink(other, p.shared->token());
    return V3_OK;
}

v3_result V3_API disconnect(void* self, v3_connection_point** other)
{
    Processor& p = of(self);
    if (!other || other != p.peer)
        return V3_INVALID_ARG;
    v3_cpp_obj_unref(p.peer);
    p.peer = nullptr;
    return V3_OK;
}

v3_result V3_API notify(void*, v3_message**) { return V3_OK; }

const v3_connection_point_cpp connectionTable = {unknown, {connect, disconnect, notify}};

}  // namespace

int createProcessor(const unsigned char* iid, void** object)
{
    auto* p = new (std::nothrow) Processor;
    if (!p)
        return V3_NOMEM;
    p->component = {&componentTable, p};
    p->processor = {&processorTable, p};
    p->connection = {&connectionTable, p};
    p->shared = SharedEffect::create();
    if (!p->shared) {
        delete p;
        return V3_NOMEM;
    }
    const v3_result result = p->query(iid, object);
    Counted<Processor>::release(&p->component);  // the query's reference is the caller's
    return result;
}

}  // namespace Vst3Face
