// The defaults file, for real: a temporary configuration folder natively, the prefix's application-data
// folder under Wine.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/Platform.h"
#include "plugcore/MidiKeys.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using VstHost::HostedEffect;

namespace {

PlugCore::Plug& plugOf(HostedEffect& host)
{
    return *static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(host.effect()->object));
}

struct Defaults : ::testing::Test {
    void SetUp() override
    {
#if !defined(_WIN32)
        // A home for each test: ctest runs them as processes of their own, side by side.
        folder = VstHost::programFolder() + "defaults-test-home-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        Platform::createFolder(folder);
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
#endif
        ASSERT_TRUE(Platform::appDataFolder(appData));
        file = appData + Platform::pathSeparator() + "Quellbrook" + Platform::pathSeparator() + "Tarn.defaults";
        std::remove(file.c_str());
    }
    void TearDown() override { std::remove(file.c_str()); }
    std::string folder, appData, file;
};

}  // namespace

TEST_F(Defaults, SavedStateStartsTheNextInstance)
{
    {
        auto host = HostedEffect::create(limiterEntry);
        host->setParameter(0, 0.25f);
        host->dispatch(effSetProgram, 0, 3);
        host->setParameter(1, 0.75f);
        plugOf(*host).paramTable().bindKey(2, PlugCore::signExtendKey(0xB015));
        plugOf(*host).saveDefaults();
        EXPECT_EQ(plugOf(*host).paramTable()[1].defaultValue, 0.75f);
    }
    auto host = HostedEffect::create(limiterEntry);
    PlugCore::Plug& plug = plugOf(*host);
    EXPECT_EQ(host->dispatch(effGetProgram), 3);
    EXPECT_NEAR(host->getParameter(1), 0.75f, 1.0 / 64000);
    EXPECT_EQ(plug.program(0).values[0], 0.25f);
    EXPECT_EQ(plug.paramTable()[2].midiKey, static_cast<std::int32_t>(0xFFFFB015));
    EXPECT_EQ(plug.paramTable()[1].defaultValue, host->getParameter(1));  // a reset restores the stored value
}

TEST_F(Defaults, EmptyFileIsRefusedAndOversizedIgnored)
{
    Platform::createFolder(appData + Platform::pathSeparator() + "Quellbrook");
    std::ofstream(file, std::ios::binary | std::ios::trunc).close();
    {
        MessageCapture boxes;
        auto host = HostedEffect::create(limiterEntry);
        const auto shown = boxes.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Error loading chunk: No header");
        EXPECT_EQ(host->getParameter(0), 1.0f);
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(1 << 20, 'x');
    MessageCapture boxes;
    auto host = HostedEffect::create(limiterEntry);
    EXPECT_TRUE(boxes.take().empty());
    EXPECT_EQ(host->getParameter(1), 0.5f);
}
