// The driver the formats beside VST 2.4 share: in blocks of any length, with parameter changes at
// offsets and MIDI, the same output as the VST 2.4 plug-in whose host splits its blocks at those
// frames; the state as the VST 2.4 chunk both ways, bad states refused without change; the latency.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "bench/BenchSignal.h"
#include "driver/EffectDriver.h"
#include "driver/StateStream.h"
#include "limiter/Dither.h"
#include "limiter/LimiterParams.h"
#include "plugcore/ChunkFormat.h"
#include "plugcore/MidiKeys.h"
#include "plugcore/Plug.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using Driver::EffectDriver;
using Driver::MidiMessage;
using Driver::ParamChange;
using VstHost::HostedEffect;

namespace {

constexpr int signalFrames = 3 * 4096 + 123;
constexpr std::uint32_t ditherStart = 0x2468ACE1u;

struct Signal {
    std::vector<float> left = std::vector<float>(signalFrames), right = std::vector<float>(signalFrames);
    Signal() { fillLimitedSignal(left, right); }
};

// Changes at frames counted from the signal's start: on a stretch boundary, two at one frame, one at
// the very first and one at the last frame, both switches.
const std::vector<ParamChange> changes = {
    {0, LimiterParams::threshold, 0.4f},  {700, LimiterParams::release, 0.1f},
    {700, LimiterParams::makeup, 0.8f},   {4096, LimiterParams::threshold, 0.75f},
    {5001, LimiterParams::dither, 0.0f},  {6000, LimiterParams::meterScale, 1.0f},
    {9999, LimiterParams::release, 0.9f}, {signalFrames - 1, LimiterParams::threshold, 0.1f},
};
// Notes, and controller 120 (all sound off), which clears the signal state where it falls.
const std::vector<MidiMessage> midi = {
    {3, 3, {0x90, 60, 100}}, {2500, 3, {0xB0, 120, 0}}, {4096, 3, {0x80, 60, 0}}, {8191, 3, {0xB0, 120, 0}}};

std::vector<float> joined(std::vector<float> left, const std::vector<float>& right)
{
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

// The VST 2.4 plug-in, its host cutting the signal at each change (setting the parameter in between)
// and at 4096 frames, the MIDI sent with the call its frame falls in.
std::vector<float> renderVst(const Signal& in)
{
    auto host = HostedEffect::create(TestSupport::limiterEntry);
    host->start(44100.0f, 4096);
    std::vector<float> outL(signalFrames), outR(signalFrames);
    Dither::restart(ditherStart);
    std::size_t change = 0, message = 0;
    for (int at = 0; at < signalFrames;) {
        for (; change < changes.size() && static_cast<int>(changes[change].frame) <= at; ++change)
            host->setParameter(changes[change].index, changes[change].value);
        int end = std::min(signalFrames, at + 4096);
        if (change < changes.size())
            end = std::min(end, static_cast<int>(changes[change].frame));
        std::vector<VstMidiEvent> events;
        for (; message < midi.size() && static_cast<int>(midi[message].frame) < end; ++message)
            events.push_back(HostedEffect::midiEvent(static_cast<VstInt32>(midi[message].frame) - at,
                                                     midi[message].bytes[0], midi[message].bytes[1],
                                                     midi[message].bytes[2]));
        if (!events.empty())
            host->sendMidi(events);
        float* ins[2] = {const_cast<float*>(in.left.data()) + at, const_cast<float*>(in.right.data()) + at};
        float* outs[2] = {outL.data() + at, outR.data() + at};
        host->processReplacing(ins, outs, end - at);
        at = end;
    }
    host->close();
    return joined(outL, outR);
}

// The changes and MIDI of the frames [at, at + n), counted from at.
struct BlockSlice {
    BlockSlice(int at, int n)
    {
        auto inside = [&](std::uint32_t frame) {
            return static_cast<int>(frame) >= at && static_cast<int>(frame) < at + n;
        };
        for (ParamChange c : changes)
            if (inside(c.frame))
                blockChanges.push_back({c.frame - static_cast<std::uint32_t>(at), c.index, c.value});
        for (MidiMessage m : midi)
            if (inside(m.frame)) {
                m.frame -= static_cast<std::uint32_t>(at);
                blockMidi.push_back(m);
            }
    }
    Driver::BlockEvents events() const
    {
        return {blockChanges.data(), blockChanges.size(), blockMidi.data(), blockMidi.size()};
    }
    std::vector<ParamChange> blockChanges;
    std::vector<MidiMessage> blockMidi;
};

// The driver in blocks of `block` frames, each given the changes and MIDI of its frames.
template <class Sample> std::vector<float> renderDriver(const Signal& in, int block)
{
    auto driver = EffectDriver::create(44100.0);
    std::vector<Sample> inL(in.left.begin(), in.left.end()), inR(in.right.begin(), in.right.end());
    std::vector<Sample> outL(signalFrames), outR(signalFrames);
    Dither::restart(ditherStart);
    for (int at = 0; at < signalFrames; at += block) {
        const int n = std::min(block, signalFrames - at);
        const BlockSlice slice(at, n);
        const Sample* ins[2] = {inL.data() + at, inR.data() + at};
        Sample* outs[2] = {outL.data() + at, outR.data() + at};
        driver->process(ins, outs, static_cast<std::uint32_t>(n), slice.events());
    }
    return joined(std::vector<float>(outL.begin(), outL.end()), std::vector<float>(outR.begin(), outR.end()));
}

PlugCore::Plug& plugOf(HostedEffect& host)
{
    return *static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(host.effect()->object));
}

std::vector<unsigned char> vstChunk(HostedEffect& host, bool isPreset)
{
    void* data = nullptr;
    const VstIntPtr size = host.dispatch(effGetChunk, isPreset ? 1 : 0, 0, &data);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

const std::int32_t cc7 = PlugCore::signExtendKey(PlugCore::controllerKey(7));

}  // namespace

TEST(EffectDriver, SameOutputAsTheVstPluginWithChangesAtOffsets)
{
    const Signal in;
    const std::vector<float> vst = renderVst(in);
    for (int block : {1, 7, 512, 4096, signalFrames}) {
        EXPECT_TRUE(renderDriver<float>(in, block) == vst) << "single precision, blocks of " << block;
        // The double path takes the same samples widened: the same signal path, narrowed at the end.
        EXPECT_TRUE(renderDriver<double>(in, block) == vst) << "double precision, blocks of " << block;
    }
}

TEST(EffectDriver, ChangesOutOfOrderOrBeyondTheBlockAreMadeLate)
{
    auto driver = EffectDriver::create(48000.0);
    std::vector<float> silence(64, 0.0f), out(64);
    const float* ins[2] = {silence.data(), silence.data()};
    float* outs[2] = {out.data(), out.data()};
    const ParamChange late[] = {{40, LimiterParams::makeup, 0.5f},
                                {10, LimiterParams::makeup, 0.25f},
                                {64, LimiterParams::release, 0.75f},
                                {900, LimiterParams::dither, 0.0f}};
    driver->process(ins, outs, 64, Driver::BlockEvents{late, 4, nullptr, 0});
    EXPECT_EQ(driver->parameter(LimiterParams::makeup), 0.25f);  // the later one in the list wins
    EXPECT_EQ(driver->parameter(LimiterParams::release), 0.75f);
    EXPECT_EQ(driver->parameter(LimiterParams::dither), 0.0f);
    // A zero-frame call still takes its changes and MIDI.
    const ParamChange now[] = {{0, LimiterParams::threshold, 2.0f}};
    const MidiMessage bind[] = {{0, 3, {0xB0, 7, 127}}};
    driver->bind(LimiterParams::makeup, cc7);
    driver->process(ins, outs, 0, Driver::BlockEvents{now, 1, bind, 1});
    EXPECT_EQ(driver->parameter(LimiterParams::threshold), 1.0f);
    EXPECT_EQ(driver->parameter(LimiterParams::makeup), 1.0f);
}

TEST(EffectDriver, TellsWhatTheEffectChangedItselfAndTapsTheMeters)
{
    auto driver = EffectDriver::create(44100.0);
    driver->bind(LimiterParams::release, cc7);
    EXPECT_EQ(driver->takeEffectChanges(), 0u);
    driver->setParameter(LimiterParams::threshold, 0.5f);  // the format's own: not told back
    const Signal in;
    const MidiMessage knob[] = {{100, 3, {0xB0, 7, 64}}};
    std::vector<float> outL(4096), outR(4096);
    const float* ins[2] = {in.left.data(), in.right.data()};
    float* outs[2] = {outL.data(), outR.data()};
    driver->process(ins, outs, 4096, Driver::BlockEvents{nullptr, 0, knob, 1});
    EXPECT_EQ(driver->takeEffectChanges(), 1u << LimiterParams::release);
    EXPECT_EQ(driver->takeEffectChanges(), 0u);
    EXPECT_FLOAT_EQ(driver->parameter(LimiterParams::release), 64.0f / 127.0f);
    EXPECT_GT(driver->meters().outPeak[0], 0.1f);
    EXPECT_LT(driver->meters().minGain, 1.0f);
}

TEST(EffectDriver, StateIsTheVstChunkBothWays)
{
    auto host = HostedEffect::create(TestSupport::limiterEntry);
    host->start(44100.0f, 512);
    auto driver = EffectDriver::create(44100.0);
    const float values[LimiterParams::count] = {0.25f, 0.75f, 0.5f, 1.0f, 0.0f};
    for (int i = 0; i < LimiterParams::count; ++i) {
        host->setParameter(i, values[i]);
        driver->setParameter(i, values[i]);
    }
    plugOf(*host).paramTable().bindKey(LimiterParams::makeup, cc7);
    driver->bind(LimiterParams::makeup, cc7);
    const std::vector<unsigned char> saved = driver->saveState();
    EXPECT_TRUE(saved == vstChunk(*host, false));  // the bank chunk, byte for byte

    // Into a fresh driver; and what the VST plug-in saves (bank or program) goes in too.
    auto other = EffectDriver::create(96000.0);
    ASSERT_TRUE(other->loadState(saved.data(), saved.size()));
    EXPECT_TRUE(other->saveState() == saved);
    EXPECT_EQ(other->binding(LimiterParams::makeup), cc7);
    host->setParameter(LimiterParams::threshold, 0.5f);
    const std::vector<unsigned char> program = vstChunk(*host, true);
    ASSERT_TRUE(other->loadState(program.data(), program.size()));
    EXPECT_FLOAT_EQ(other->parameter(LimiterParams::threshold), 0.5f);
    host->close();
}

TEST(EffectDriver, BadStatesAreRefusedWithoutChangeOrMessage)
{
    auto driver = EffectDriver::create(44100.0);
    driver->setParameter(LimiterParams::makeup, 0.5f);
    const std::vector<unsigned char> before = driver->saveState();
    std::vector<unsigned char> good = before;
    good.push_back(PlugCore::Chunk::currentProgram);  // its body missing

    std::vector<std::vector<unsigned char>> bad;
    bad.push_back({});
    bad.push_back(std::vector<unsigned char>(before.begin(), before.begin() + 7));  // no whole header
    bad.push_back(good);                                                            // a record cut short
    bad.push_back(before);
    bad.back()[0] ^= 1;  // another magic
    bad.push_back(before);
    bad.back()[4] = PlugCore::Chunk::version + 1;  // a later version
    bad.push_back(before);
    bad.back()[PlugCore::Chunk::headerSize + 1] = 'X';  // another plug-in's name
    bad.push_back(before);
    bad.back()[before.size() - 4] = 9;  // a record of no known kind

    TestSupport::MessageCapture boxes;
    for (std::size_t k = 0; k < bad.size(); ++k) {
        // A value record in front: the whole is refused, not applied up to the fault.
        std::vector<unsigned char> state = bad[k];
        if (state.size() > PlugCore::Chunk::headerSize)
            state.insert(state.begin() + PlugCore::Chunk::headerSize, {PlugCore::Chunk::paramValue, 2, 0, 0});
        EXPECT_FALSE(driver->loadState(state.data(), state.size())) << "state " << k;
        EXPECT_TRUE(driver->saveState() == before) << "state " << k;
    }
    EXPECT_FALSE(driver->loadState(nullptr, 100));
    EXPECT_TRUE(boxes.take().empty());
}

// A host's state stream, read to its end in whatever pieces the host gives; a failure, a state too large
// to be ours, or a count beyond the buffer the host was handed is refused without reading past it.
TEST(StateStream, ReadsToTheEndAndTrustsNoCountTheHostGives)
{
    std::vector<unsigned char> stored(10000);
    for (std::size_t i = 0; i < stored.size(); ++i)
        stored[i] = static_cast<unsigned char>(i * 7);
    const auto streamOf = [](const std::vector<unsigned char>& bytes, std::int64_t piece, std::int64_t claimed = 0,
                             bool failAtEnd = false) {
        return [&bytes, piece, claimed, failAtEnd, at = std::size_t{0}](unsigned char* buffer,
                                                                         std::int64_t size) mutable -> std::int64_t {
            if (at == bytes.size())
                return failAtEnd ? -1 : 0;
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(
                {piece, size, static_cast<std::int64_t>(bytes.size() - at)}));
            std::memcpy(buffer, bytes.data() + at, n);
            at += n;
            return claimed ? claimed : static_cast<std::int64_t>(n);
        };
    };
    std::vector<unsigned char> read;
    for (std::int64_t piece : {1, 100, 4096, 1 << 20}) {
        EXPECT_TRUE(Driver::readStateStream(streamOf(stored, piece), read)) << piece;
        EXPECT_TRUE(read == stored) << piece;
    }
    EXPECT_FALSE(Driver::readStateStream(streamOf(stored, 100, 0, true), read));
    EXPECT_FALSE(Driver::readStateStream(streamOf(stored, 100, 5000), read));  // more than it was asked for
    const std::vector<unsigned char> huge(Driver::largestState + 1);
    EXPECT_FALSE(Driver::readStateStream(streamOf(huge, 4096), read));
    const std::vector<unsigned char> largest(Driver::largestState);
    EXPECT_TRUE(Driver::readStateStream(streamOf(largest, 4096), read));
}

TEST(EffectDriver, LatencyAtEveryRateAndRatesRefused)
{
    for (const auto& [rate, frames] : std::map<double, int>{{44100.0, 22}, {48000.0, 24}, {96000.0, 48}}) {
        auto driver = EffectDriver::create(rate);
        ASSERT_TRUE(driver) << rate;
        EXPECT_EQ(driver->latency(), frames) << rate;
        driver->restart();
        EXPECT_EQ(driver->latency(), frames) << rate;
    }
    for (double rate : {0.0, 1999.0, 768001.0, std::nan("")})
        EXPECT_FALSE(EffectDriver::create(rate)) << rate;
}

// Hosts of the formats to come may hand the same buffers in and out, in either precision.
TEST(EffectDriver, InPlaceBuffersSoundTheSame)
{
    const Signal in;
    const std::vector<float> apart = renderDriver<double>(in, 4096);
    auto driver = EffectDriver::create(44100.0);
    std::vector<double> left(in.left.begin(), in.left.end()), right(in.right.begin(), in.right.end());
    Dither::restart(ditherStart);
    for (int at = 0; at < signalFrames; at += 4096) {
        const int n = std::min(4096, signalFrames - at);
        const BlockSlice slice(at, n);
        double* both[2] = {left.data() + at, right.data() + at};
        driver->process(both, both, static_cast<std::uint32_t>(n), slice.events());
    }
    EXPECT_TRUE(joined(std::vector<float>(left.begin(), left.end()), std::vector<float>(right.begin(), right.end())) ==
                apart);
}
