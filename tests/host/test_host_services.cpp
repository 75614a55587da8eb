// The host requests the plug-in makes and the effect layer's number-to-text tools.
#include <gtest/gtest.h>

#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using VstHost::HostedEffect;

TEST(HostServices, AutomationStoresFirstThenTellsTheHost)
{
    auto host = HostedEffect::create(testEffectEntry);
    TestEffect& effect = testEffectOf(host->effect());
    effect.setParameterAutomated(1, 0.3f);
    EXPECT_FLOAT_EQ(host->getParameter(1), 0.3f);
    const auto requests = host->takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].opcode, audioMasterAutomate);
    EXPECT_EQ(requests[0].index, 1);
    EXPECT_FLOAT_EQ(requests[0].opt, 0.3f);

    EXPECT_TRUE(effect.beginEdit(2));
    EXPECT_TRUE(effect.endEdit(2));
    const auto edits = host->takeRequests();
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(edits[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(edits[1].index, 2);
}

TEST(HostServices, WithoutACallbackEveryRequestIsNeutral)
{
    TestEffect effect(nullptr);
    EXPECT_FALSE(effect.beginEdit(0));
    EXPECT_FALSE(effect.endEdit(0));
    EXPECT_EQ(effect.getTimeInfo(0x602), nullptr);
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_TRUE(effect.isInputConnected(0));
    effect.setParameterAutomated(0, 0.75f);
    EXPECT_FLOAT_EQ(effect.getParameter(0), 0.75f);
}

TEST(HostServices, NumberTexts)
{
    TestEffect effect(nullptr);
    char text[32];
    effect.dB2string(0.0f, text, 31);
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(1.0f, text, 31);
    EXPECT_STREQ(text, "0.000000");
    effect.float2string(1e9f, text, 31);
    EXPECT_STREQ(text, "Huge!");
    effect.float2string(-1e8f, text, 31);
    EXPECT_STREQ(text, "Huge!");
    effect.float2string(0.5f, text, 31);
    EXPECT_STREQ(text, "0.500000");
    effect.float2string(-2.25f, text, 31);
    EXPECT_STREQ(text, "-2.25000");
    effect.float2string(1234.5f, text, 31);
    EXPECT_STREQ(text, "1234.500");
    effect.float2string(0.5f, text, 4);
    EXPECT_STREQ(text, "0.50");
    effect.int2string(-42, text, 31);
    EXPECT_STREQ(text, "-42");
    effect.int2string(100000000, text, 31);
    EXPECT_STREQ(text, "Huge!");
    effect.ms2string(441.0f, text, 31);
    EXPECT_STREQ(text, "10.00000");
    effect.Hz2string(0.0f, text, 31);
    EXPECT_STREQ(text, "0.000000");
}
