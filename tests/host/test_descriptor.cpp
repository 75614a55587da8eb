// What a host sees of a new instance: descriptor, identity, pins and the opcode answers.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using VstHost::HostedEffect;

namespace {

VstIntPtr VSTCALLBACK oldHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

}  // namespace

TEST(Descriptor, NewLimiterDescribesItself)
{
    auto host = HostedEffect::create(limiterEntry);
    ASSERT_TRUE(host);
    const AEffect& e = *host->effect();
    EXPECT_EQ(e.magic, 0x56737450);
    EXPECT_EQ(e.uniqueID, 0x5176376D);
    EXPECT_EQ(e.version, 1);
    EXPECT_EQ(e.numPrograms, 8);
    EXPECT_EQ(e.numParams, 5);
    EXPECT_EQ(e.numInputs, 2);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.flags, 0x1031);  // with its editor
    EXPECT_EQ(e.ioRatio, 1.0f);
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_EQ(host->effectText(effGetEffectName), "Tarn");
    EXPECT_EQ(host->effectText(effGetVendorString), "Quellbrook");
    EXPECT_EQ(host->effectText(effGetProductString), "Quellbrook Tarn");
}

TEST(Descriptor, PinsAreMainLeftAndRight)
{
    auto host = HostedEffect::create(testEffectEntry);
    for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
        VstPinProperties pin{};
        ASSERT_EQ(host->dispatch(opcode, 0, 0, &pin), 1);
        EXPECT_STREQ(pin.label, "Main L");
        EXPECT_EQ(pin.flags, 3);
        ASSERT_EQ(host->dispatch(opcode, 1, 0, &pin), 1);
        EXPECT_STREQ(pin.label, "Main R");

        VstPinProperties untouched{};
        std::memset(&untouched, 0x5A, sizeof untouched);
        VstPinProperties probe = untouched;
        EXPECT_EQ(host->dispatch(opcode, 2, 0, &probe), 0);
        EXPECT_EQ(host->dispatch(opcode, -1, 0, &probe), 0);
        EXPECT_EQ(std::memcmp(&probe, &untouched, sizeof probe), 0);
    }
}

TEST(Descriptor, OpcodeAnswers)
{
    auto host = HostedEffect::create(testEffectEntry);
    char midi[] = "receiveVstMidiEvent";
    char other[] = "sendVstMidiEvent";
    char empty[] = "";
    EXPECT_EQ(host->dispatch(effCanDo, 0, 0, midi), 1);
    EXPECT_EQ(host->dispatch(effCanDo, 0, 0, other), 0);
    EXPECT_EQ(host->dispatch(effCanDo, 0, 0, empty), 0);
    EXPECT_EQ(host->dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host->dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(host->dispatch(effKeysRequired), 1);
    EXPECT_EQ(host->dispatch(effCanBeAutomated, 2), 1);
    EXPECT_EQ(host->dispatch(effGetNumProgramCategories), 1);
    EXPECT_EQ(host->dispatch(effConnectInput), 1);
    EXPECT_EQ(host->dispatch(effConnectOutput), 1);
    EXPECT_EQ(host->dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(host->dispatch(effSetTotalSampleToProcess, 0, 4321), 4321);
    EXPECT_EQ(host->dispatch(effGetPlugCategory), 0);
    EXPECT_EQ(host->dispatch(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 48000.0f), 1);
    EXPECT_EQ(host->dispatch(effGetTailSize), 0);
    EXPECT_EQ(host->dispatch(80), 0);
    EXPECT_EQ(host->dispatch(static_cast<VstInt32>(0xDEADBEEF)), 0);
    // Without an editor every editor opcode does nothing.
    ERect* rect = reinterpret_cast<ERect*>(1);
    EXPECT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(host->dispatch(effEditOpen), 0);
    EXPECT_EQ(host->dispatch(effEditClose), 0);
    EXPECT_EQ(host->dispatch(effEditKeyDown), 0);

    void* in = reinterpret_cast<void*>(1);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(host->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST(Descriptor, ProgramIndexOutsideTheBankIsIgnored)
{
    auto host = HostedEffect::create(testEffectEntry);
    EXPECT_EQ(host->dispatch(effSetProgram, 0, 3), 0);
    EXPECT_EQ(host->dispatch(effGetProgram), 3);
    EXPECT_EQ(host->dispatch(effSetProgram, 0, 8), 0);
    EXPECT_EQ(host->dispatch(effSetProgram, 0, -1), 0);
    EXPECT_EQ(host->dispatch(effGetProgram), 3);
    EXPECT_EQ(host->effectText(effGetProgramName), "Init 4");
}

TEST(Descriptor, OldHostGetsNoEffect)
{
    EXPECT_EQ(createEffectForHost(oldHost, [](audioMasterCallback m) -> AudioEffect* { return new TestEffect(m); }),
              nullptr);
    EXPECT_EQ(createEffectForHost(nullptr, [](audioMasterCallback m) -> AudioEffect* { return new TestEffect(m); }),
              nullptr);
}

TEST(Descriptor, FailedConstructionReachesTheHostAsNull)
{
    auto throwing = [](audioMasterCallback) -> AudioEffect* { throw std::bad_alloc(); };
    EXPECT_EQ(createEffectForHost(
                  [](AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return 2400; }, throwing),
              nullptr);
}

namespace {
int destroyed = 0;
struct CountedEffect : TestEffect {
    using TestEffect::TestEffect;
    ~CountedEffect() override { ++destroyed; }
};
AEffect* VSTCALLBACK countedEntry(audioMasterCallback m)
{
    return createEffectForHost(m, [](audioMasterCallback master) -> AudioEffect* { return new CountedEffect(master); });
}
}  // namespace

TEST(Descriptor, CloseDeletesTheEffect)
{
    destroyed = 0;
    auto host = HostedEffect::create(countedEntry);
    AEffect* e = host->effect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(destroyed, 1);
}

TEST(Descriptor, EffectObjectIsAlignedTo16Bytes)
{
    for (int i = 0; i < 8; ++i) {
        auto host = HostedEffect::create(limiterEntry);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(host->effect()->object) % 16, 0u);
    }
}
