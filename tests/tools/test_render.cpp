// The renderer's parameter settings and report.
#include <gtest/gtest.h>

#include "tests/support/StartedLimiter.h"
#include "tests/support/TestEffect.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/ParameterSetting.h"
#include "tools/render/Renderer.h"

using namespace Render;

TEST(RenderSettings, NamesAndDisplayValues)
{
    auto host = TestSupport::startedLimiter(44100.0, 512);
    std::string error;
    ParameterSetting s;
    ASSERT_TRUE(parseSetting("thresh.=0.7", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_FLOAT_EQ(host->parameter(0), 0.7f);

    ASSERT_TRUE(parseSetting("release=250ms", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_EQ(host->parameterDisplay(1), "250.0");
    ASSERT_TRUE(parseSetting("thresh=-6dB", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_EQ(host->parameterDisplay(0), "-6.0");
    // The display rounds to tenths: -10 dB is the middle of the values that read "-10.0", not its edge.
    ASSERT_TRUE(parseSetting("thresh=-10dB", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_NEAR(host->parameter(0), 0.5f, 1e-5f);
    ASSERT_TRUE(parseSetting("d.scale=40dB", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_EQ(host->parameterDisplay(3), "40dB");

    ASSERT_TRUE(parseSetting("nothing=1", s));
    EXPECT_FALSE(applySetting(*host, s, error));
    ASSERT_TRUE(parseSetting("release=5000ms", s));
    EXPECT_FALSE(applySetting(*host, s, error));
    ASSERT_TRUE(parseSetting("makeup=1.5", s));
    EXPECT_FALSE(applySetting(*host, s, error));
    EXPECT_FALSE(parseSetting("makeup", s));
}

TEST(RenderReport, DefaultSignalIsLimitedWithoutOvers)
{
    auto host = TestSupport::startedLimiter(44100.0, 512);
    const StereoAudio input = defaultSignal(44100.0, 2.0);
    RenderReport report;
    const StereoAudio output = renderThrough(*host, input, RenderOptions{});
    measureLevels(input, output, 22, report);
    EXPECT_GT(report.inputPeakDb, 3.0);  // well over full scale going in
    EXPECT_LE(report.outputPeakDb, 0.0);
    EXPECT_GT(report.largestReductionDb, 3.0);
    EXPECT_EQ(report.samplesAboveFullScale, 0);

    auto probe = TestSupport::startedLimiter(44100.0, 512);
    EXPECT_EQ(measureLatency(*probe, 44100.0, 4096, RenderOptions{}), 22);
}

// A unit that is not the parameter's, a switch's value it does not have, trailing garbage: refused,
// naming the parameter and what it takes; the parameter keeps its value.
TEST(RenderSettings, UnitsSwitchesAndGarbageAreRefused)
{
    auto host = TestSupport::startedLimiter(44100.0, 512);
    const std::pair<const char*, const char*> refused[] = {
        {"thresh.=-10ms", "dB"},         {"release=100dB", "ms"},         {"dither=20bits", "16bits or 24bits"},
        {"d.scale=30dB", "20dB or 40dB"}, {"release=250msx", "ms"},        {"thresh.=-6dB junk", "dB"},
        {"thresh.=nandB", "dB"},          {"dither=16bitsbits", "24bits"}, {"release=fast", "ms"}};
    for (const auto& [text, takes] : refused) {
        ParameterSetting s;
        ASSERT_TRUE(parseSetting(text, s));
        const float before = host->parameter(findParameterIndex(*host, s.name));
        std::string error;
        EXPECT_FALSE(applySetting(*host, s, error)) << text;
        EXPECT_NE(error.find(s.name), std::string::npos) << error;
        EXPECT_NE(error.find(takes), std::string::npos) << error;
        EXPECT_EQ(host->parameter(findParameterIndex(*host, s.name)), before) << text;
    }
    for (const char* text : {"dither=24 bits", "dither=16bits", "d.scale=20dB", "release=100 ms", "thresh=-3dB"}) {
        ParameterSetting s;
        ASSERT_TRUE(parseSetting(text, s));
        std::string error;
        EXPECT_TRUE(applySetting(*host, s, error)) << text << ": " << error;
    }
    EXPECT_EQ(host->parameterDisplay(4), "16");
}
