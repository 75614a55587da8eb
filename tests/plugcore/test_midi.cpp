// MIDI: the status table, the controller ranges, learn and drive.
#include <gtest/gtest.h>

#include "tests/support/StereoBuffers.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using VstHost::HostedEffect;

namespace {

struct Midi : ::testing::Test {
    void SetUp() override
    {
        host = HostedEffect::create(testEffectEntry);
        host->start(44100.0f, 32);
    }
    TestEffect& effect() { return testEffectOf(host->effect()); }
    std::vector<std::string> send(std::vector<VstMidiEvent> events)
    {
        host->sendMidi(events);
        effect().log.clear();
        StereoBuffers<double> in(32), out(32);
        host->processDoubleReplacing(in.get(), out.get(), 32);
        std::vector<std::string> hooks;
        for (const auto& entry : effect().log)
            if (entry.rfind("block", 0) != 0)
                hooks.push_back(entry);
        return hooks;
    }
    static VstMidiEvent cc(int channel, int controller, int value)
    {
        return HostedEffect::midiEvent(0, 0xB0 | channel, controller, value);
    }
    std::unique_ptr<HostedEffect> host;
};

using Log = std::vector<std::string>;

}  // namespace

TEST_F(Midi, NotesReachTheHooks)
{
    EXPECT_EQ(send({HostedEffect::midiEvent(0, 0x93, 60, 0), HostedEffect::midiEvent(1, 0x80, 61, 20),
                    HostedEffect::midiEvent(2, 0x91, 62, 90), HostedEffect::midiEvent(3, 0xE0, 0, 64)}),
              (Log{"noteOff 60 100", "noteOff 61 20", "noteOn 62 90"}));
}

TEST_F(Midi, ControllerRoles)
{
    EXPECT_EQ(send({cc(0, 120, 0)}), (Log{"reset"}));
    const Log notesOff = send({cc(0, 123, 0)});
    ASSERT_EQ(notesOff.size(), 128u);
    EXPECT_EQ(notesOff.front(), "noteOff 0 100");
    EXPECT_EQ(notesOff.back(), "noteOff 127 100");
    EXPECT_EQ(send({cc(0, 10, 10)}), (Log{"cc B00A 0.078740"}));
    for (int ignored : {0, 6, 32, 63, 96, 101, 121, 122})
        EXPECT_TRUE(send({cc(0, ignored, 5)}).empty()) << ignored;
}

TEST_F(Midi, LearnBindsTheNextLearnableController)
{
    effect().armLearn(1);
    EXPECT_TRUE(send({cc(0, 0, 5), cc(0, 121, 5)}).empty());  // ignored controllers never complete a learn
    EXPECT_EQ(effect().learningParam(), 1);
    EXPECT_TRUE(send({cc(4, 7, 127)}).empty());
    EXPECT_EQ(effect().paramTable()[1].midiKey, static_cast<std::int32_t>(0xFFFFB007));
    EXPECT_EQ(effect().learningParam(), -1);
    EXPECT_EQ(host->getParameter(1), 1.0f);
    send({cc(0, 7, 0)});
    EXPECT_EQ(host->getParameter(1), 0.0f);
    EXPECT_TRUE(host->takeRequests().empty());  // MIDI moves are not automation

    effect().armLearn(2);
    send({cc(0, 7, 64)});
    EXPECT_EQ(effect().paramTable()[1].midiKey, -1);
    EXPECT_EQ(effect().paramTable()[2].midiKey, static_cast<std::int32_t>(0xFFFFB007));
    EXPECT_FLOAT_EQ(host->getParameter(2), 64.0f / 127.0f);

    effect().unlearn(2);
    EXPECT_EQ(effect().paramTable()[2].midiKey, -1);
    EXPECT_EQ(send({cc(0, 7, 1)}), (Log{"cc B007 0.007874"}));
}

TEST_F(Midi, ArmingOutsideTheTableIsRefused)
{
    effect().armLearn(3);
    effect().armLearn(-2);
    EXPECT_EQ(effect().learningParam(), -1);
    effect().armLearn(0);
    effect().cancelLearn();
    EXPECT_EQ(effect().learningParam(), -1);
}
