// The renderer's parameter settings and report.
#include <gtest/gtest.h>

#include "tests/support/TestEffect.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/ParameterSetting.h"
#include "tools/render/Renderer.h"

using namespace Render;

TEST(RenderSettings, NamesAndDisplayValues)
{
    auto host = VstHost::HostedEffect::create(TestSupport::limiterEntry);
    host->start(44100.0f, 512);
    std::string error;
    ParameterSetting s;
    ASSERT_TRUE(parseSetting("thresh.=0.7", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_FLOAT_EQ(host->getParameter(0), 0.7f);

    ASSERT_TRUE(parseSetting("release=250ms", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_EQ(host->parameterText(effGetParamDisplay, 1), "250.0");
    ASSERT_TRUE(parseSetting("thresh=-6dB", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_EQ(host->parameterText(effGetParamDisplay, 0), "-6.0");
    // The display rounds to tenths: -10 dB is the middle of the values that read "-10.0", not its edge.
    ASSERT_TRUE(parseSetting("thresh=-10dB", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_NEAR(host->getParameter(0), 0.5f, 1e-5f);
    ASSERT_TRUE(parseSetting("d.scale=40dB", s));
    ASSERT_TRUE(applySetting(*host, s, error)) << error;
    EXPECT_EQ(host->parameterText(effGetParamDisplay, 3), "40dB");

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
    auto host = VstHost::HostedEffect::create(TestSupport::limiterEntry);
    host->start(44100.0f, 512);
    const StereoAudio input = defaultSignal(44100.0, 2.0);
    RenderReport report;
    const StereoAudio output = renderThrough(*host, input, RenderOptions{});
    measureLevels(input, output, 22, report);
    EXPECT_GT(report.inputPeakDb, 3.0);  // well over full scale going in
    EXPECT_LE(report.outputPeakDb, 0.0);
    EXPECT_GT(report.largestReductionDb, 3.0);
    EXPECT_EQ(report.samplesAboveFullScale, 0);

    auto probe = VstHost::HostedEffect::create(TestSupport::limiterEntry);
    probe->start(44100.0f, 512);
    EXPECT_EQ(measureLatency(*probe, 44100.0, 4096, RenderOptions{}), 22);
}
