// The audio driver: resume sequence, precision paths, sub-blocks at MIDI positions, transport.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/MessageCapture.h"
#include "tests/support/StereoBuffers.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using VstHost::HostedEffect;

namespace {

struct Driver : ::testing::Test {
    void SetUp() override
    {
        host = HostedEffect::create(testEffectEntry);
        host->start(48000.0f, 64);
        effect().log.clear();
    }
    TestEffect& effect() { return testEffectOf(host->effect()); }
    // One double-precision call of `frames` frames; returns the log of what the effect saw.
    std::vector<std::string> run(VstInt32 frames, const std::vector<VstMidiEvent>& events = {})
    {
        if (!events.empty())
            host->sendMidi(events);
        effect().log.clear();
        effect().blocks.clear();
        StereoBuffers<double> in(std::max(frames, 1)), out(std::max(frames, 1));
        effect().bufferStart = in.left.data();
        host->processDoubleReplacing(in.get(), out.get(), frames);
        return effect().log;
    }
    static VstMidiEvent note(VstInt32 delta, int key) { return HostedEffect::midiEvent(delta, 0x90, key, 64); }
    std::unique_ptr<HostedEffect> host;
};

using Log = std::vector<std::string>;

}  // namespace

TEST_F(Driver, ResumeRunsSetupOnlyAfterARateChange)
{
    host->resume();
    EXPECT_EQ(effect().log, (Log{"reset"}));
    effect().log.clear();
    host->dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_TRUE(effect().log.empty());  // takes effect at the next resume
    host->resume();
    EXPECT_EQ(effect().log, (Log{"setup", "reset"}));
    EXPECT_EQ(host->effect()->initialDelay, 17);
    effect().latency = 5;
    host->suspend();
    host->resume();
    EXPECT_EQ(host->effect()->initialDelay, 5);
}

TEST_F(Driver, EmptyCallProcessesNothing)
{
    EXPECT_TRUE(run(0).empty());
}

TEST_F(Driver, EventsCutTheBlockAtTheirPositions)
{
    EXPECT_EQ(run(64, {note(0, 1), note(10, 2), note(10, 3)}),
              (Log{"noteOn 1 64", "block 0+10", "noteOn 2 64", "noteOn 3 64", "block 10+54"}));
    ASSERT_EQ(effect().blocks.size(), 2u);
    EXPECT_TRUE(effect().blocks[0].paramsChanged);  // the declared values were pending
    EXPECT_FALSE(effect().blocks[1].paramsChanged);
}

TEST_F(Driver, EventsAtOrBeyondTheEnd)
{
    EXPECT_EQ(run(64, {note(64, 1)}), (Log{"block 0+64", "noteOn 1 64"}));
    EXPECT_EQ(run(64, {note(100, 1)}), (Log{"noteOn 1 64", "block 0+64"}));
    EXPECT_EQ(run(64, {note(5, 1), note(100, 2), note(120, 3)}),
              (Log{"block 0+5", "noteOn 1 64", "noteOn 2 64", "noteOn 3 64", "block 5+59"}));
}

TEST_F(Driver, DisorderedEventsNeverMakeANegativeBlock)
{
    EXPECT_EQ(run(64, {note(-5, 1), note(20, 2), note(8, 3), note(30, 4)}),
              (Log{"noteOn 1 64", "block 0+20", "noteOn 2 64", "noteOn 3 64", "block 20+10", "noteOn 4 64",
                   "block 30+34"}));
}

TEST_F(Driver, OnlyMidiEventsAreHandled)
{
    VstMidiEvent sysex = note(3, 9);
    sysex.type = kVstSysExType;
    EXPECT_EQ(run(16, {sysex}), (Log{"block 0+3", "block 3+13"}));
}

TEST_F(Driver, ChangesReachTheEffectOncePerSet)
{
    run(16);
    run(16);
    EXPECT_FALSE(effect().blocks.at(0).paramsChanged);
    host->setParameter(1, 0.9f);
    host->setParameter(1, 0.1f);
    run(16);
    EXPECT_TRUE(effect().blocks.at(0).paramsChanged);
    EXPECT_FLOAT_EQ(effect().paramTable()[1].dspValue, 0.1f);
    run(16);
    EXPECT_FALSE(effect().blocks.at(0).paramsChanged);
}

TEST_F(Driver, SongPositionWithoutTransportDependsOnTheEffect)
{
    effect().keepSongRunning = false;
    run(48);
    run(48);
    EXPECT_EQ(effect().blocks.at(0).info.songPosition, 0.0);
    EXPECT_EQ(effect().blocks.at(0).info.tempo, 120.0);
    EXPECT_DOUBLE_EQ(effect().blocks.at(0).info.beatsPerSample, 120.0 / (60.0 * 48000.0));

    effect().keepSongRunning = true;
    run(48);
    run(48);
    EXPECT_DOUBLE_EQ(effect().blocks.at(0).info.songPosition, 48 * 120.0 / (60.0 * 48000.0));
}

TEST_F(Driver, PlayingHostGivesTheSongPosition)
{
    VstTimeInfo time{};
    time.tempo = 93.7;
    time.ppqPos = 16.5;
    time.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid;
    host->setTransport(time);
    run(64, {note(32, 1)});
    ASSERT_EQ(effect().blocks.size(), 2u);
    const double tempo = static_cast<float>(93.7);  // passes through single precision
    EXPECT_EQ(effect().blocks[0].info.tempo, tempo);
    EXPECT_EQ(effect().blocks[0].info.songPosition, 16.5);
    EXPECT_DOUBLE_EQ(effect().blocks[1].info.songPosition, 16.5 + 32 * tempo / (60.0 * 48000.0));
    EXPECT_EQ(effect().blocks[1].info.sampleRate, 48000.0);
}

TEST_F(Driver, SinglePrecisionPathsConvertBothWays)
{
    StereoBuffers<float> in(64), out(64, 1.0f);
    for (int i = 0; i < 64; ++i) {
        in.left[i] = 0.001f * i;
        in.right[i] = -0.25f;
    }
    host->processReplacing(in.get(), out.get(), 64);
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.right, in.right);

    host->processAccumulating(in.get(), out.get(), 64);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(out.left[i], in.left[i] + in.left[i]);
}

TEST_F(Driver, OversizedBlocks)
{
    MessageCapture boxes;
    StereoBuffers<float> in(65, 0.5f), out(65, 7.0f);
    host->processReplacing(in.get(), out.get(), 65);
    host->processAccumulating(in.get(), out.get(), 65);
    EXPECT_EQ(out.left, std::vector<float>(65, 7.0f));
    EXPECT_TRUE(boxes.take().empty());
    EXPECT_TRUE(effect().log.empty());

    host->sendMidi({note(0, 1)});
    StereoBuffers<double> din(65, 0.5), dout(65, 7.0);
    host->processDoubleReplacing(din.get(), dout.get(), 65);
    EXPECT_EQ(dout.left, std::vector<double>(65, 7.0));
    const auto shown = boxes.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "ALLERT");
    EXPECT_EQ(shown[0].text, "PANIC");
    // The refused call's events do not leak into the next one.
    EXPECT_EQ(run(8), (Log{"block 0+8"}));
}
