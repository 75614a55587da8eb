// The limiter's parameters as a host sees them: names, units, defaults, display texts, latency.
#include <gtest/gtest.h>

#include <cstring>

#include "limiter/Limiter.h"
#include "tests/support/TestEffect.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using VstHost::HostedEffect;

namespace {

std::string display(Limiter& limiter, int index, float v)
{
    char text[16];
    std::memset(text, 'x', sizeof text);
    limiter.getDisplayText(index, text, v);
    return text;
}

}  // namespace

TEST(LimiterParams, FreshInstanceShowsTheDefaults)
{
    auto host = HostedEffect::create(limiterEntry);
    const char* names[] = {"thresh.", "release", "makeup", "d.scale", "dither"};
    const char* labels[] = {"dB", "ms", "%", "", "bits"};
    const float defaults[] = {1.0f, 0.5f, 0.0f, 0.0f, 1.0f};
    const char* shown[] = {"0.0", "100.0", "0", "20dB", "24"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(host->parameterText(effGetParamName, i), names[i]);
        EXPECT_EQ(host->parameterText(effGetParamLabel, i), labels[i]);
        EXPECT_EQ(host->getParameter(i), defaults[i]);
        EXPECT_EQ(host->parameterText(effGetParamDisplay, i), shown[i]);
    }
    // Every program starts from the declared defaults.
    Limiter& limiter = static_cast<Limiter&>(*static_cast<AudioEffect*>(host->effect()->object));
    for (int p = 0; p < 8; ++p)
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(limiter.program(p).values[i], defaults[i]);
}

TEST(LimiterParams, DisplayTexts)
{
    Limiter limiter(nullptr);
    EXPECT_EQ(display(limiter, 0, 0.0f), "-20.0");
    EXPECT_EQ(display(limiter, 0, 1.0f), "0.0");
    EXPECT_EQ(display(limiter, 0, 0.7f), "-6.0");
    EXPECT_EQ(display(limiter, 1, 0.0f), "10.0");
    EXPECT_EQ(display(limiter, 1, 1.0f), "1000.0");
    EXPECT_EQ(display(limiter, 1, 0.5f), "100.0");
    EXPECT_EQ(display(limiter, 2, 0.0f), "0");
    EXPECT_EQ(display(limiter, 2, 1.0f), "100");
    EXPECT_EQ(display(limiter, 2, 0.999f), "99");  // truncated, not rounded
    EXPECT_EQ(display(limiter, 3, 0.5f), "20dB");
    EXPECT_EQ(display(limiter, 3, 0.5000001f), "40dB");
    EXPECT_EQ(display(limiter, 4, 0.5f), "16");
    EXPECT_EQ(display(limiter, 4, 0.5000001f), "24");
}

TEST(LimiterParams, UnknownIndexOnlyTerminatesTheText)
{
    Limiter limiter(nullptr);
    char text[10] = "abcdefghi";
    limiter.getDisplayText(5, text, 0.5f);
    EXPECT_EQ(std::string(text), "abcdefg");
    EXPECT_EQ(text[8], 'i');
}

TEST(LimiterParams, LatencyFollowsTheRate)
{
    const std::pair<float, int> rates[] = {{22050.0f, 11}, {44100.0f, 22}, {48000.0f, 24},
                                           {88200.0f, 44}, {96000.0f, 48}, {192000.0f, 96}, {1000.0f, 1}};
    for (const auto& [rate, frames] : rates) {
        auto host = HostedEffect::create(limiterEntry);
        host->start(rate, 64);
        EXPECT_EQ(host->effect()->initialDelay, frames) << rate;
    }
}
