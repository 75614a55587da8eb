// The audio thread never allocates or takes a lock once running: every allocation and (natively) every
// mutex lock is counted while process calls run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#if !defined(_WIN32)
#include <dlfcn.h>
#include <pthread.h>
#endif

#include "tests/support/StereoBuffers.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

namespace {
std::atomic<bool> auditing{false};
std::atomic<int> allocations{0};
std::atomic<int> locks{0};
}  // namespace

void* operator new(std::size_t size)
{
    if (auditing.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

#if !defined(_WIN32)
extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    using Lock = int (*)(pthread_mutex_t*);
    static Lock real = reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    if (auditing.load(std::memory_order_relaxed))
        locks.fetch_add(1, std::memory_order_relaxed);
    return real(mutex);
}
#endif

using namespace TestSupport;
using VstHost::HostedEffect;

TEST(Realtime, ProcessingAllocatesNothingAndTakesNoLock)
{
    auto host = HostedEffect::create(limiterEntry);
    host->start(44100.0f, 512);
    AudioEffect* effect = static_cast<AudioEffect*>(host->effect()->object);
    static_cast<PlugCore::Plug*>(effect)->armLearn(2);

    StereoBuffers<float> in(512, 0.0f), out(512);
    StereoBuffers<double> din(512), dout(512);
    for (int i = 0; i < 512; ++i)
        in.left[i] = in.right[i] = din.left[i] = din.right[i] = 1.5f * ((i % 50) < 25 ? 1.0f : -1.0f);
    host->processReplacing(in.get(), out.get(), 512);  // the first call may set up

    const std::vector<VstMidiEvent> events = {HostedEffect::midiEvent(0, 0xB0, 7, 100),
                                              HostedEffect::midiEvent(100, 0xB0, 7, 20),
                                              HostedEffect::midiEvent(300, 0xB0, 120, 0),
                                              HostedEffect::midiEvent(400, 0x90, 60, 100)};
    allocations = 0;
    locks = 0;
    for (int round = 0; round < 200; ++round) {
        if (round % 10 == 0)
            host->sendMidi(events);  // the host's own bookkeeping, outside the audit
        auditing = true;
        host->setParameter(round % 5, 0.01f * round);
        host->processReplacing(in.get(), out.get(), 512);
        host->processDoubleReplacing(din.get(), dout.get(), 511);
        host->processAccumulating(in.get(), out.get(), 300);
        auditing = false;
    }
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(locks.load(), 0);
    EXPECT_NE(static_cast<PlugCore::Plug*>(effect)->paramTable()[2].midiKey, -1);  // the learn happened in there
}

#if !defined(_WIN32)
#include <lv2/midi/midi.h>

#include "tests/lv2/Lv2Rig.h"

TEST(Realtime, Lv2RunAllocatesNothingAndTakesNoLock)
{
    UridMap uris;
    const LV2_Feature* features[] = {uris.feature(), nullptr};
    Lv2Rig rig(44100.0, features);
    ASSERT_TRUE(rig.ok());
    // Longer than the effect's buffers, so run cuts it into stretches; MIDI in two of them.
    const int frames = 2 * 4096 + 5;
    std::vector<float> in(frames, 0.9f), outL, outR;
    const MidiSequence midi(uris.map(LV2_ATOM__Sequence), uris.map(LV2_MIDI__MidiEvent),
                            {{0, {0xB0, 7, 100}}, {5000, {0xB0, 120, 0}}, {8000, {0x90, 60, 100}}});
    rig.process(in, in, outL, outR, frames, midi.get());  // the outputs sized outside the audit
    allocations = 0;
    locks = 0;
    for (int round = 0; round < 20; ++round) {
        rig.controls[round % LimiterParams::count] = 0.5f * round;  // clamped where out of range
        auditing = true;
        rig.descriptor()->run(rig.instance(), frames);
        auditing = false;
    }
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(locks.load(), 0);
}
#endif

#include "driver/EffectDriver.h"

// The driver's process calls, as every format beside VST 2.4 makes them: changes at offsets, MIDI,
// both precisions, a block longer than the effect's buffers.
TEST(Realtime, DriverProcessAllocatesNothingAndTakesNoLock)
{
    auto driver = Driver::EffectDriver::create(44100.0);
    ASSERT_TRUE(driver);
    driver->bind(2, -20473);  // controller 7
    const std::uint32_t frames = 2 * 4096 + 5;
    StereoBuffers<float> in(frames, 0.9f), out(frames);
    StereoBuffers<double> din(frames, 0.9), dout(frames);
    const Driver::ParamChange changes[] = {{0, 0, 0.5f}, {100, 1, 0.2f}, {4096, 3, 1.0f}, {frames - 1, 4, 0.0f}};
    const Driver::MidiMessage midi[] = {{5, 3, {0xB0, 7, 100}}, {5000, 3, {0xB0, 120, 0}}, {8000, 3, {0x90, 60, 1}}};
    const Driver::BlockEvents events{changes, 4, midi, 3};
    driver->process(in.get(), out.get(), frames, events);  // the first call may set up
    allocations = 0;
    locks = 0;
    auditing = true;
    for (int round = 0; round < 20; ++round) {
        driver->process(in.get(), out.get(), frames, events);
        driver->process(din.get(), dout.get(), 511, events);
        driver->takeEffectChanges();
    }
    auditing = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(locks.load(), 0);
    EXPECT_EQ(driver->parameter(2), 100.0f / 127.0f);
}

#include <clap/ext/params.h>

#include "tools/pluginhost/ClapInstance.h"

namespace {

// A fixed list of CLAP input events, made before the audit.
struct FixedEvents {
    std::vector<clap_event_param_value_t> params;
    std::vector<clap_event_midi_t> midi;
    std::vector<const clap_event_header_t*> order;
    clap_input_events_t list{this, size, get};
    static std::uint32_t CLAP_ABI size(const clap_input_events_t* l)
    {
        return static_cast<std::uint32_t>(static_cast<FixedEvents*>(l->ctx)->order.size());
    }
    static const clap_event_header_t* CLAP_ABI get(const clap_input_events_t* l, std::uint32_t i)
    {
        return static_cast<FixedEvents*>(l->ctx)->order[i];
    }
};

bool CLAP_ABI dropEvent(const clap_output_events_t*, const clap_event_header_t*) { return true; }

}  // namespace

// Tarn.clap's process as a CLAP host calls it: parameter events at offsets and controllers (one bound,
// so the host is told of a change), a block longer than the effect's buffers, both precisions.
TEST(Realtime, ClapProcessAllocatesNothingAndTakesNoLock)
{
    std::string error;
    auto file = PluginHost::ClapFile::open(VstHost::programFolder() + "../Tarn.clap", error);
    ASSERT_TRUE(file) << error;
    auto clap = file->instantiateClap(error);
    ASSERT_TRUE(clap) << error;
    auto vst = HostedEffect::create(limiterEntry);  // a bank whose makeup listens to controller 7
    auto* plug = static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(vst->effect()->object));
    plug->paramTable().bindKey(2, -20473);
    void* chunk = nullptr;
    const auto size = vst->dispatch(effGetChunk, 0, 0, &chunk);
    ASSERT_TRUE(clap->loadChunk(false, std::vector<unsigned char>(static_cast<unsigned char*>(chunk),
                                                                    static_cast<unsigned char*>(chunk) + size)));
    ASSERT_TRUE(clap->start(44100.0, 2 * 4096 + 5, false, error)) << error;
    const clap_plugin_t* plugin = clap->plugin();

    FixedEvents events;
    for (std::uint32_t at : {0u, 100u, 4096u, 8000u}) {
        clap_event_param_value_t e{};
        e.header = {sizeof e, at, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
        e.param_id = at % 5;
        e.value = 0.5;
        events.params.push_back(e);
    }
    for (std::uint32_t at : {5u, 5000u}) {
        clap_event_midi_t m{};
        m.header = {sizeof m, at, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
        m.data[0] = 0xB0, m.data[1] = at == 5 ? 7 : 120, m.data[2] = 100;
        events.midi.push_back(m);
    }
    events.order = {&events.params[0].header, &events.midi[0].header, &events.params[1].header,
                    &events.params[2].header, &events.midi[1].header, &events.params[3].header};
    clap_output_events_t out{nullptr, dropEvent};

    const std::uint32_t frames = 2 * 4096 + 5;
    StereoBuffers<float> fin(frames, 0.9f), fout(frames);
    StereoBuffers<double> din(frames, 0.9), dout(frames);
    clap_audio_buffer_t in32{fin.get(), nullptr, 2, 0, 0}, out32{fout.get(), nullptr, 2, 0, 0};
    clap_audio_buffer_t in64{nullptr, din.get(), 2, 0, 0}, out64{nullptr, dout.get(), 2, 0, 0};
    clap_process_t single{-1, frames, nullptr, &in32, &out32, 1, 1, &events.list, &out};
    clap_process_t twice{-1, 511, nullptr, &in64, &out64, 1, 1, &events.list, &out};
    ASSERT_TRUE(plugin->start_processing(plugin));
    plugin->process(plugin, &single);  // the first call may set up
    allocations = 0;
    locks = 0;
    auditing = true;
    for (int round = 0; round < 20; ++round) {
        plugin->process(plugin, &single);
        plugin->process(plugin, &twice);
    }
    auditing = false;
    plugin->stop_processing(plugin);
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(locks.load(), 0);
    EXPECT_FLOAT_EQ(clap->parameter(2), 100.0f / 127.0f);
}

#include "tools/pluginhost/Vst3Instance.h"

namespace {

// One parameter's points and the list of them, made before the audit (the host's side of a VST3
// process call, without counting references).
struct FixedQueue {
    const void* table;
    v3_param_id id;
    std::vector<std::pair<int32_t, double>> points;
};
struct QueueTable : v3_funknown {
    v3_param_value_queue queue;
};
struct ChangesTable : v3_funknown {
    v3_param_changes changes;
};
struct FixedChanges {
    const void* table;
    std::vector<FixedQueue>* queues;
};
uint32_t V3_API uncounted(void*) { return 1; }
v3_result V3_API noQuery(void*, const v3_tuid, void** object)
{
    *object = nullptr;
    return V3_NO_INTERFACE;
}
// Named functions, not lambdas: on 32-bit Windows VST3 calls are __stdcall, which lambdas do not convert to.
v3_param_id V3_API queueId(void* self) { return static_cast<FixedQueue*>(self)->id; }
int32_t V3_API queuePoints(void* self) { return static_cast<int32_t>(static_cast<FixedQueue*>(self)->points.size()); }
v3_result V3_API queuePoint(void* self, int32_t i, int32_t* offset, double* value)
{
    const auto& p = static_cast<FixedQueue*>(self)->points[static_cast<std::size_t>(i)];
    *offset = p.first;
    *value = p.second;
    return V3_OK;
}
v3_result V3_API noPoint(void*, int32_t, double, int32_t*) { return V3_NOT_IMPLEMENTED; }
int32_t V3_API changesCount(void* self) { return static_cast<int32_t>(static_cast<FixedChanges*>(self)->queues->size()); }
v3_param_value_queue** V3_API changesData(void* self, int32_t i)
{
    auto& q = (*static_cast<FixedChanges*>(self)->queues)[static_cast<std::size_t>(i)];
    return static_cast<v3_param_value_queue**>(static_cast<void*>(&q.table));
}
v3_param_value_queue** V3_API noData(void*, v3_param_id*, int32_t*) { return nullptr; }

const QueueTable queueTable = {{noQuery, uncounted, uncounted}, {queueId, queuePoints, queuePoint, noPoint}};
const ChangesTable changesTable = {{noQuery, uncounted, uncounted}, {changesCount, changesData, noData}};

}  // namespace

// Tarn.vst3's process as a VST3 host calls it: automation at offsets, controllers as their mapped
// parameters (one bound), the bypass switched on and off, a program change, both precisions.
TEST(Realtime, Vst3ProcessAllocatesNothingAndTakesNoLock)
{
    std::string error;
    auto file = PluginHost::Vst3File::open(VstHost::programFolder() + "../Tarn.vst3", error);
    ASSERT_TRUE(file) << error;
    auto vst3 = file->instantiateVst3(error);
    ASSERT_TRUE(vst3) << error;
    ASSERT_TRUE(vst3->start(44100.0, 2 * 4096 + 5, false, error)) << error;
    std::vector<FixedQueue> queues = {{&queueTable, 0, {{0, 0.5}, {4096, 0.7}}},
                                      {&queueTable, 1, {{100, 0.2}}},
                                      {&queueTable, 5, {{0, 0.0}}},                      // the bypass
                                      {&queueTable, 6, {{0, 2.0 / 7}}},                  // a program change
                                      {&queueTable, 0x10000 + 7, {{5, 0.8}, {5000, 0.1}}}};  // controller 7
    FixedChanges changes{&changesTable, &queues};
    const std::uint32_t frames = 2 * 4096 + 5;
    StereoBuffers<float> fin(frames, 0.9f), fout(frames);
    StereoBuffers<double> din(frames, 0.9), dout(frames);
    v3_audio_bus_buffers in32{}, out32{}, in64{}, out64{};
    in32.num_channels = out32.num_channels = in64.num_channels = out64.num_channels = 2;
    in32.channel_buffers_32 = fin.get();
    out32.channel_buffers_32 = fout.get();
    in64.channel_buffers_64 = din.get();
    out64.channel_buffers_64 = dout.get();
    v3_process_data single{}, wide{};
    single.symbolic_sample_size = V3_SAMPLE_32;
    single.nframes = static_cast<int32_t>(frames);
    single.num_input_buses = single.num_output_buses = 1;
    single.inputs = &in32;
    single.outputs = &out32;
    single.input_params = static_cast<v3_param_changes**>(static_cast<void*>(&changes.table));
    wide = single;
    wide.symbolic_sample_size = V3_SAMPLE_64;
    wide.nframes = 511;
    wide.inputs = &in64;
    wide.outputs = &out64;
    v3_audio_processor** processor = vst3->processor();
    v3_cpp_obj(processor)->process(processor, &single);  // the first call may set up
    allocations = 0;
    locks = 0;
    auditing = true;
    for (int round = 0; round < 20; ++round) {
        queues[2].points[0].second = round % 2;
        v3_cpp_obj(processor)->process(processor, &single);
        v3_cpp_obj(processor)->process(processor, &wide);
    }
    auditing = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(locks.load(), 0);
}
