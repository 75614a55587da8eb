// The benchmarks' small LV2 host: settings read from the command line, a plug-in found by URI with its
// control inputs set by symbol, fed and run on stereo blocks. Our own bundle stands in for any plug-in;
// x42-dpl, where installed, is run in its true-peak mode as a timing of it would.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/Lv2PeerHost.h"
#include "limiter/ProductFacts.h"

namespace {

constexpr std::uint32_t block = 256;

// Finds our bundle as well as the installed ones: LV2_PATH names folders of bundles, so our bundle is
// linked into a folder of its own.
void addBuildFolderToLv2Path()
{
    const std::string folder = std::string(TARN_LV2_BUNDLE_FOLDER) + "/tests/lv2-path";
    const std::string link = folder + "/" + ProductFacts::lv2Bundle;
    std::filesystem::create_directories(folder);
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    std::filesystem::create_directory_symlink(std::string(TARN_LV2_BUNDLE_FOLDER) + "/" + ProductFacts::lv2Bundle,
                                              link);
    setenv("LV2_PATH", (folder + ":/usr/lib/lv2").c_str(), 1);
}

// Within 1 % of `dB` below full scale.
::testing::AssertionResult atLevel(float peak, float dB)
{
    const float want = std::pow(10.0f, dB / 20.0f);
    if (std::fabs(peak - want) <= 0.01f * want)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "peak " << peak << " instead of " << want;
}

// Runs a loud sine (peaks 2.0, 6 dB over full scale) through `host` and returns the largest output
// sample after the first block, once any look-ahead has passed.
float loudestAfterFirstBlock(Lv2Peer::Host& host, int blocks)
{
    std::vector<float> left(block), right(block), outLeft(block), outRight(block);
    const float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    float loudest = 0.0f;
    for (int b = 0; b < blocks; ++b) {
        for (std::uint32_t i = 0; i < block; ++i)
            left[i] = right[i] = static_cast<float>(2.0 * std::sin(0.05 * (b * block + i)));
        host.connectAudio(in, out);
        host.run(block);
        for (std::uint32_t i = 0; b > 0 && i < block; ++i)
            loudest = std::max({loudest, std::fabs(outLeft[i]), std::fabs(outRight[i])});
    }
    return loudest;
}

}  // namespace

TEST(Lv2PeerHost, SettingsAreSymbolEqualsFiniteNumber)
{
    Lv2Peer::Setting s;
    ASSERT_TRUE(Lv2Peer::parseSetting("threshold=-6", s));
    EXPECT_EQ(s.symbol, "threshold");
    EXPECT_EQ(s.value, -6.0f);
    ASSERT_TRUE(Lv2Peer::parseSetting("truepeak=1", s));
    EXPECT_EQ(Lv2Peer::describe({{"threshold", -6.0f}, {"truepeak", 1.0f}}), "threshold=-6 truepeak=1");
    for (const char* bad : {"threshold", "=1", "threshold=", "threshold=-6dB", "threshold=nan", "release=inf"})
        EXPECT_FALSE(Lv2Peer::parseSetting(bad, s)) << bad;
}

TEST(Lv2PeerHost, RunsAPluginWithItsControlsSetBySymbol)
{
    addBuildFolderToLv2Path();
    std::string error;
    auto host = Lv2Peer::Host::load(ProductFacts::lv2Uri, 44100.0, block, {{"thresh", -6.0f}}, error);
    ASSERT_TRUE(host) << error;
    EXPECT_EQ(host->audioInputs(), 2);
    EXPECT_EQ(host->audioOutputs(), 2);
    float value = 0.0f;
    ASSERT_TRUE(host->control("thresh", value));
    EXPECT_EQ(value, -6.0f);
    ASSERT_TRUE(host->control("release", value));
    EXPECT_EQ(value, 100.0f);  // not given: the port's default
    EXPECT_FALSE(host->control("latency", value)) << "an output is no setting";
    // Limited to the threshold (makeup 0), give or take the dither.
    EXPECT_TRUE(atLevel(loudestAfterFirstBlock(*host, 8), -6.0f));

    // A change takes effect at the next run.
    ASSERT_TRUE(host->setControl("thresh", -12.0f));
    EXPECT_TRUE(atLevel(loudestAfterFirstBlock(*host, 40), -12.0f));
}

TEST(Lv2PeerHost, SaysWhyAPluginCannotBeRun)
{
    addBuildFolderToLv2Path();
    std::string error;
    EXPECT_FALSE(Lv2Peer::Host::load("urn:nobody:nothing", 44100.0, block, {}, error));
    EXPECT_NE(error.find("no installed LV2 plug-in"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(Lv2Peer::Host::load(ProductFacts::lv2Uri, 44100.0, block, {{"loudness", 1.0f}}, error));
    EXPECT_NE(error.find("no control input loudness"), std::string::npos) << error;
}

// The other mode a benchmark of x42-dpl times: true peak, one control input away.
TEST(Lv2PeerHost, RunsX42DplInItsTruePeakMode)
{
    std::string error;
    auto host = Lv2Peer::Host::load("http://gareus.org/oss/lv2/dpl#stereo", 44100.0, block,
                                    {{"threshold", -6.0f}, {"truepeak", 1.0f}}, error);
    if (!host)
        GTEST_SKIP() << error << " (x42-plugins: scripts/bench.sh installs it)";
    float mode = 0.0f;
    ASSERT_TRUE(host->control("truepeak", mode));
    EXPECT_EQ(mode, 1.0f);
    EXPECT_LT(loudestAfterFirstBlock(*host, 40), std::pow(10.0f, -6.0f / 20.0f) * 1.01f);
}
