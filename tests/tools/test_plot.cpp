// The picture of a render: a 6 dB step's gain reduction and envelopes land where the axes say.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/support/StartedLimiter.h"
#include "tests/support/TestEffect.h"
#include "tools/render/ParameterSetting.h"
#include "tools/render/Plot.h"
#include "tools/render/Renderer.h"

using namespace Render;

namespace {

constexpr double pi = 3.14159265358979323846;

std::uint32_t pixelAt(const ImageFile::Picture& picture, int x, float y)
{
    return picture.pixels[static_cast<std::size_t>(std::floor(y)) * picture.width + static_cast<std::size_t>(x)];
}

// Nearly the colour itself: where two segments of the curve meet, a row can be covered a little
// short of whole, depending on where the level falls between rows.
bool nearly(std::uint32_t pixel, std::uint32_t color)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((color >> shift) & 0xFF)) > 16)
            return false;
    return true;
}

// The curve is two pixels wide: some row between the two levels' rows is (nearly) covered by it.
bool curveBetween(const ImageFile::Picture& picture, const PlotLayout& layout, int x, double lowDb, double highDb)
{
    for (float y = std::floor(layout.reductionY(lowDb)) - 1.0f; y <= layout.reductionY(highDb) + 1.0f; y += 1.0f)
        if (nearly(pixelAt(picture, x, y), PlotColors::reduction))
            return true;
    return false;
}

}  // namespace

TEST(RenderPlot, SixDecibelStepShowsWhereTheAxesSay)
{
    // A 1 kHz sine at the -6 dB threshold for 2 s, then 6 dB louder for 2 s.
    StereoAudio input;
    input.sampleRate = 44100.0;
    for (int i = 0; i < 4 * 44100; ++i) {
        const float level = i < 2 * 44100 ? 0.5f : 1.0f;
        input.left.push_back(level * static_cast<float>(std::sin(2.0 * pi * 1000.0 * i / 44100.0)));
    }
    input.right = input.left;
    auto host = TestSupport::startedLimiter(44100.0, 512);
    std::string error;
    ParameterSetting threshold{"thresh.", "-6dB"};
    ASSERT_TRUE(applySetting(*host, threshold, error)) << error;
    const StereoAudio output = renderThrough(*host, input, RenderOptions{});

    const PlotLayout layout = planPlot(1200, 500, 4.0, 1.0, 6.0);
    const std::vector<PlotColumn> columns = plotColumns(input, output, 22, layout.columns());
    const ImageFile::Picture picture = drawPlot(layout, columns, -6.0, "step");
    ASSERT_EQ(picture.width, 1200u);
    ASSERT_EQ(picture.height, 500u);

    // 1.0 against the threshold's 10^(-6/20): 6 dB of reduction (the limiter keeps its peaks a
    // little below the threshold), at 47 pixels per dB on this axis; the columns avoid the time grid.
    for (double share : {0.1, 0.3, 0.45}) {
        const int x = layout.areaLeft + static_cast<int>(share * layout.columns());
        EXPECT_TRUE(curveBetween(picture, layout, x, 0.0, 0.1)) << "column " << x;
        EXPECT_FALSE(curveBetween(picture, layout, x, 0.5, 8.0)) << "column " << x;
    }
    for (double share : {0.6, 0.7, 0.9}) {
        const int x = layout.areaLeft + static_cast<int>(share * layout.columns());
        EXPECT_TRUE(curveBetween(picture, layout, x, 5.9, 6.1)) << "column " << x;
        EXPECT_FALSE(curveBetween(picture, layout, x, 0.0, 5.5)) << "column " << x;
        EXPECT_FALSE(curveBetween(picture, layout, x, 6.5, 9.0)) << "column " << x;
        // The output stops at the threshold; the input goes on to full scale.
        for (int channel : {0, 1}) {
            EXPECT_EQ(pixelAt(picture, x, layout.amplitudeY(channel, 0.3)), PlotColors::output);
            EXPECT_EQ(pixelAt(picture, x, layout.amplitudeY(channel, -0.3)), PlotColors::output);
            EXPECT_EQ(pixelAt(picture, x, layout.amplitudeY(channel, 0.8)), PlotColors::input);
            EXPECT_EQ(pixelAt(picture, x, layout.amplitudeY(channel, 1.02)), PlotColors::area);
        }
    }
}
