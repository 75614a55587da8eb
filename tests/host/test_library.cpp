// The built plug-in library, loaded and driven as a host loads it.
#include <gtest/gtest.h>

#include "limiter/RoundingMode.h"
#include "tests/support/StereoBuffers.h"
#include "tools/vsthost/HostedEffect.h"

using namespace TestSupport;
using VstHost::HostedEffect;
using VstHost::PluginLibrary;

namespace {

std::string builtPlugin()
{
#if defined(_WIN32)
    return VstHost::programFolder() + "..\\Tarn.dll";
#else
    return VstHost::programFolder() + "../Tarn.so";
#endif
}

}  // namespace

// First in this file: the library must be freshly loaded, its dither generator untouched.
TEST(Library, DitherStartsFromTheKnownStatesAfterLoading)
{
    PluginLibrary library;
    ASSERT_TRUE(library.load(builtPlugin())) << library.error();
    auto host = HostedEffect::create(library.entry());
    host->start(44100.0f, 64);
    StereoBuffers<double> in(4), out(4);
    host->processDoubleReplacing(in.get(), out.get(), 4);

    TowardZeroRounding rounding;
    const double amplitude = 1.0 / 8388608.0, unit = 1.0 / 2147483648.0;  // 24-bit dither by default
    EXPECT_EQ(out.left[0], amplitude * (1013904223 * unit + 1196435762 * unit));
    EXPECT_EQ(out.right[0], amplitude * (-775096599 * unit + -1426500812 * unit));
}

TEST(Library, LoadsAndCreatesTheEffect)
{
    PluginLibrary library;
    ASSERT_TRUE(library.load(builtPlugin())) << library.error();
    EXPECT_NE(library.symbol("VSTPluginMain"), nullptr);
    EXPECT_EQ(library.symbol("VSTPluginMain"), library.symbol("main"));
#if defined(_WIN32)
    EXPECT_EQ(library.symbol("VSTPluginMain"), library.symbol("MAIN"));
    EXPECT_NE(library.symbol("DllMain"), nullptr);
#endif
    auto host = HostedEffect::create(library.entry());
    ASSERT_TRUE(host);
    EXPECT_EQ(host->effect()->uniqueID, 0x5176376D);
    EXPECT_EQ(host->effectText(effGetEffectName), "Tarn");
    host->start(44100.0f, 256);
    EXPECT_EQ(host->effect()->initialDelay, 22);

    StereoBuffers<float> in(256, 0.1f), out(256);
    host->processReplacing(in.get(), out.get(), 256);
    StereoBuffers<double> din(256, 0.1), dout(256);
    host->processDoubleReplacing(din.get(), dout.get(), 256);
    host->close();
}

TEST(Library, MissingFileIsReported)
{
    PluginLibrary library;
    EXPECT_FALSE(library.load(VstHost::programFolder() + "no-such-plugin.so"));
    EXPECT_FALSE(library.error().empty());
}
