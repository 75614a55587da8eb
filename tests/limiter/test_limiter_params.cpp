// The limiter's parameters as a host sees them: names, units, defaults, display texts, latency.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "limiter/Limiter.h"
#include "limiter/ParamUnits.h"
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
    const std::pair<float, int> rates[] = {{22050.0f, 11}, {44100.0f, 22},  {48000.0f, 24}, {88200.0f, 44},
                                           {96000.0f, 48}, {192000.0f, 96}, {1000.0f, 1}};
    for (const auto& [rate, frames] : rates) {
        auto host = HostedEffect::create(limiterEntry);
        host->start(rate, 64);
        EXPECT_EQ(host->effect()->initialDelay, frames) << rate;
    }
}

// The texts as the parameters have always been written, formula by formula, against the ones derived
// from the parameters' facts, over a fine grid of values and every float near the switch points.
TEST(LimiterParams, TextsFromTheFactsAreTheWrittenFormulas)
{
    auto written = [](int index, float value) {
        const double v = value;
        char text[32];
        switch (index) {
        case 0:
            std::snprintf(text, sizeof text, "%.1f", 20.0 * (v - 1.0));
            break;
        case 1:
            std::snprintf(text, sizeof text, "%.1f", std::pow(10.0, 2.0 * v - 2.0) * 1000.0);
            break;
        case 2:
            std::snprintf(text, sizeof text, "%d", static_cast<int>(v * 100.0));
            break;
        case 3:
            std::snprintf(text, sizeof text, "%s", 0.5 < v ? "40dB" : "20dB");
            break;
        default:
            std::snprintf(text, sizeof text, "%s", 0.5 < v ? "24" : "16");
            break;
        }
        text[7] = 0;
        return std::string(text);
    };
    Limiter limiter(nullptr);
    std::vector<float> values;
    for (int k = 0; k <= 65536; ++k)
        values.push_back(static_cast<float>(k) / 65536.0f);
    for (float v = 0.4999f; v < 0.5001f; v = std::nextafter(v, 1.0f))
        values.push_back(v);
    for (int index = 0; index < LimiterParams::count; ++index)
        for (float v : values)
            ASSERT_EQ(display(limiter, index, v), written(index, v)) << index << " at " << v;
}

// Display values and normalized values both ways: each end to each end, and back to where it came from.
TEST(LimiterParams, DisplayValuesMapBothWays)
{
    for (int index = 0; index < LimiterParams::count; ++index) {
        const LimiterParams::Declaration& d = LimiterParams::declarations[index];
        // (The release's 10^-2 x 1000 is 10 to within the C library's pow.)
        EXPECT_DOUBLE_EQ(ParamUnits::displayValue(index, 0.0f), d.lowest) << index;
        EXPECT_DOUBLE_EQ(ParamUnits::displayValue(index, 1.0f), d.highest) << index;
        EXPECT_EQ(ParamUnits::normalizedValue(index, d.lowest - 1.0), 0.0f) << index;
        EXPECT_EQ(ParamUnits::normalizedValue(index, d.highest + 1.0), 1.0f) << index;
        EXPECT_EQ(ParamUnits::normalizedValue(index, std::nan("")), d.defaultValue) << index;
        for (float v : {0.0f, 0.1f, 0.25f, 0.7f, 0.999f, 1.0f}) {
            const float back = ParamUnits::normalizedValue(index, ParamUnits::displayValue(index, v));
            if (LimiterParams::isSwitch(index))
                EXPECT_EQ(back, 0.5f < v ? 1.0f : 0.0f) << index << " at " << v;
            else
                EXPECT_NEAR(back, v, 1e-6f) << index << " at " << v;
        }
    }
    EXPECT_DOUBLE_EQ(ParamUnits::displayValue(LimiterParams::release, 0.5f), 100.0);  // evenly in decades
}
