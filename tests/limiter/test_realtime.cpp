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
