// The renderer's file handling and parameter settings.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tests/support/TestEffect.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/ParameterSetting.h"
#include "tools/render/Renderer.h"
#include "tools/render/WavFile.h"

using namespace Render;

namespace {

std::string temporaryPath(const std::string& name)
{
    return VstHost::programFolder() + "render-test-" + name;
}

bool exists(const std::string& path) { return std::ifstream(path).good(); }

StereoAudio ramp(SampleFormat format)
{
    StereoAudio audio;
    audio.sampleRate = 48000;
    audio.format = format;
    for (int i = 0; i < 1000; ++i) {
        audio.left.push_back((i - 500) / 512.0f);
        audio.right.push_back(-(i - 500) / 1024.0f);
    }
    return audio;
}

}  // namespace

TEST(RenderWav, EveryFormatRoundTrips)
{
    for (SampleFormat format : {SampleFormat::pcm16, SampleFormat::pcm24, SampleFormat::float32}) {
        const std::string path = temporaryPath("roundtrip.wav");
        std::string error;
        ASSERT_TRUE(writeWav(path, ramp(format), error)) << error;
        StereoAudio back;
        ASSERT_TRUE(readWav(path, back, error)) << error;
        EXPECT_EQ(back.format, format);
        EXPECT_EQ(back.sampleRate, 48000.0);
        EXPECT_EQ(back.left, ramp(format).left);  // the ramp's steps are exact in every format
        EXPECT_EQ(back.right, ramp(format).right);
        std::remove(path.c_str());
    }
}

TEST(RenderWav, BadFilesAreRefusedWithAReason)
{
    const std::string path = temporaryPath("bad.wav");
    std::string error;
    StereoAudio audio;
    EXPECT_FALSE(readWav(temporaryPath("missing.wav"), audio, error));

    StereoAudio mono = ramp(SampleFormat::pcm16);
    ASSERT_TRUE(writeWav(path, mono, error));
    {
        // Turn the file into a mono one by patching the channel count.
        std::fstream patch(path, std::ios::in | std::ios::out | std::ios::binary);
        patch.seekp(22);
        patch.put(1);
    }
    EXPECT_FALSE(readWav(path, audio, error));
    EXPECT_NE(error.find("mono"), std::string::npos) << error;

    ASSERT_TRUE(writeWav(path, ramp(SampleFormat::pcm24), error));
    std::ifstream whole(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    whole.close();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size() - 100));
    EXPECT_FALSE(readWav(path, audio, error));
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;

    std::ofstream(path, std::ios::binary | std::ios::trunc) << "RIFF\x04\0\0\0WAVE";
    EXPECT_FALSE(readWav(path, audio, error));
    std::remove(path.c_str());

    const std::string unwritable = temporaryPath("no-such-folder/out.wav");
    EXPECT_FALSE(writeWav(unwritable, ramp(SampleFormat::pcm16), error));
    EXPECT_FALSE(exists(unwritable));
    EXPECT_FALSE(exists(unwritable + ".part"));
}

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
