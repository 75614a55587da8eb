// Loudness and peaks against an independent implementation: ffmpeg's ebur128 filter reads the same
// files. Native builds only; skipped, saying why, where ffmpeg is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/render/AudioFile.h"
#include "tools/render/Loudness.h"
#include "tools/vsthost/PluginLibrary.h"

using namespace Render;

namespace {

constexpr double pi = 3.14159265358979323846;

// ffmpeg prints the peaks to a tenth of a dB; the integrated loudness and range to a thousandth.
constexpr double agreement = 0.1;
constexpr double peakPrinting = 0.05;

struct FfmpegFigures {
    double integrated = NAN, range = NAN, samplePeak = NAN, truePeak = NAN;
};

bool haveFfmpeg() { return std::system("ffmpeg -version >/dev/null 2>&1") == 0; }

double numberAfter(const std::string& text, const std::string& key, std::size_t from = 0, bool last = false)
{
    const std::size_t at = last ? text.rfind(key) : text.find(key, from);
    return at == std::string::npos ? NAN : std::strtod(text.c_str() + at + key.size(), nullptr);
}

FfmpegFigures ffmpegFigures(const std::string& path)
{
    const std::string command = "ffmpeg -nostdin -nostats -hide_banner -i '" + path +
                                "' -af ebur128=metadata=1:peak=true+sample,ametadata=print:file=- -f null - 2>&1";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        pclose(pipe);
    }
    FfmpegFigures figures;
    figures.integrated = numberAfter(output, "lavfi.r128.I=", 0, true);
    figures.range = numberAfter(output, "lavfi.r128.LRA=", 0, true);
    const std::size_t summary = output.find("Summary:");
    if (summary != std::string::npos) {
        figures.samplePeak = numberAfter(output, "Peak:", output.find("Sample peak:", summary));
        figures.truePeak = numberAfter(output, "Peak:", output.find("True peak:", summary));
    }
    return figures;
}

StereoAudio silence(double rate, double seconds)
{
    StereoAudio audio;
    audio.sampleRate = rate;
    audio.format = FileFormat::wav | FileFormat::float32;
    audio.left.assign(static_cast<std::size_t>(rate * seconds), 0.0f);
    audio.right = audio.left;
    return audio;
}

StereoAudio sineAtMinus23()
{
    StereoAudio sine = silence(48000.0, 20.0);
    const double amplitude = std::pow(10.0, -23.0 / 20.0);
    for (std::size_t i = 0; i < sine.frames(); ++i)
        sine.left[i] = sine.right[i] = static_cast<float>(amplitude * std::sin(2.0 * pi * 1000.0 * i / 48000.0));
    return sine;
}

StereoAudio pinkNoise()
{
    StereoAudio pink = silence(44100.0, 20.0);
    std::uint32_t state = 12345u;
    for (std::vector<float>* channel : {&pink.left, &pink.right}) {
        // Paul Kellet's filter over white noise: pink within 0.05 dB above 9 Hz.
        double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0, power = 0;
        for (float& sample : *channel) {
            state = state * 1664525u + 1013904223u;
            const double white = static_cast<std::int32_t>(state) / 2147483648.0;
            b0 = 0.99886 * b0 + white * 0.0555179;
            b1 = 0.99332 * b1 + white * 0.0750759;
            b2 = 0.96900 * b2 + white * 0.1538520;
            b3 = 0.86650 * b3 + white * 0.3104856;
            b4 = 0.55000 * b4 + white * 0.5329522;
            b5 = -0.7616 * b5 - white * 0.0168980;
            const double value = b0 + b1 + b2 + b3 + b4 + b5 + b6 + white * 0.5362;
            b6 = white * 0.115926;
            sample = static_cast<float>(value);
            power += value * value;
        }
        const double scale = std::pow(10.0, -20.0 / 20.0) / std::sqrt(power / channel->size());  // -20 dBFS RMS
        for (float& sample : *channel)
            sample = static_cast<float>(sample * scale);
    }
    return pink;
}

// A sine at a quarter of the rate, 45 degrees off its samples, peaking at -6 dBTP. Faded in and out
// over 0.1 s: an abrupt start or end rings in any interpolator, and that is not the peak sought.
StereoAudio quarterRateSine()
{
    StereoAudio quarter = silence(48000.0, 5.0);
    for (std::size_t i = 0; i < quarter.frames(); ++i) {
        const double fade = std::min({1.0, i / 4800.0, (quarter.frames() - 1 - i) / 4800.0});
        quarter.left[i] = quarter.right[i] = static_cast<float>(0.5 * fade * std::sin(pi / 2.0 * i + pi / 4.0));
    }
    return quarter;
}

// Ours and ffmpeg's, from the same float WAV file.
void expectAgreement(const StereoAudio& audio, const std::string& name, double truePeakAgreement = agreement)
{
    const std::string path = VstHost::programFolder() + "loudness-test-" + name + ".wav";
    std::string error;
    ASSERT_TRUE(writeAudio(path, audio, error)) << error;
    const LoudnessFigures ours = measureLoudness(audio);
    const FfmpegFigures theirs = ffmpegFigures(path);
    std::remove(path.c_str());
    ASSERT_TRUE(ours.integratedLufs && ours.loudnessRangeLu && ours.truePeakDbtp && ours.samplePeakDbfs);
    EXPECT_NEAR(*ours.integratedLufs, theirs.integrated, agreement);
    EXPECT_NEAR(*ours.loudnessRangeLu, theirs.range, agreement);
    EXPECT_NEAR(*ours.samplePeakDbfs, theirs.samplePeak, agreement + peakPrinting);
    EXPECT_NEAR(*ours.truePeakDbtp, theirs.truePeak, truePeakAgreement + peakPrinting);
}

}  // namespace

TEST(Loudness, StandardSignalsHaveTheirKnownFigures)
{
    const LoudnessFigures sine = measureLoudness(sineAtMinus23());
    ASSERT_TRUE(sine.integratedLufs && sine.truePeakDbtp);
    EXPECT_NEAR(*sine.integratedLufs, -23.0, 0.05);
    EXPECT_NEAR(*sine.truePeakDbtp, -23.0, 0.01);
    // A mono file is one channel, not the two that carry it through the limiter: 3 LU less.
    StereoAudio mono = sineAtMinus23();
    mono.fileChannels = 1;
    const LoudnessFigures monoSine = measureLoudness(mono);
    ASSERT_TRUE(monoSine.integratedLufs);
    EXPECT_NEAR(*monoSine.integratedLufs, -26.0, 0.05);

    const LoudnessFigures quarter = measureLoudness(quarterRateSine());
    ASSERT_TRUE(quarter.truePeakDbtp && quarter.samplePeakDbfs);
    EXPECT_NEAR(*quarter.truePeakDbtp, -6.02, 0.05);  // the peak falls halfway between samples
    EXPECT_NEAR(*quarter.samplePeakDbfs, -9.03, 0.01);
}

TEST(Loudness, StandardSignalsAgreeWithFfmpeg)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed (scripts/install-deps.sh installs it): loudness not compared";
    {
        SCOPED_TRACE("1 kHz sine at -23 dBFS in each channel");
        expectAgreement(sineAtMinus23(), "sine");
    }
    {
        SCOPED_TRACE("stereo pink noise at -20 dBFS RMS");
        // On noise ffmpeg's true peak (resampled to 192 kHz) reads about 0.15 dB above
        // libebur128's (-7.05 dBTP here); the standard allows +0.2 / -0.4 dB.
        expectAgreement(pinkNoise(), "pink", 0.2);
    }
    {
        SCOPED_TRACE("a sine at a quarter of the rate, 45 degrees off its samples");
        expectAgreement(quarterRateSine(), "quarter");
    }
}

TEST(Loudness, SilenceAndShortFilesHaveNoFigures)
{
    const LoudnessFigures quiet = measureLoudness(silence(44100.0, 5.0));
    EXPECT_FALSE(quiet.integratedLufs || quiet.loudnessRangeLu || quiet.truePeakDbtp || quiet.samplePeakDbfs);

    StereoAudio blip = silence(44100.0, 1.0);
    blip.left[100] = 0.5f;
    const LoudnessFigures shortOne = measureLoudness(blip);
    EXPECT_TRUE(shortOne.integratedLufs.has_value());
    EXPECT_FALSE(shortOne.loudnessRangeLu.has_value());  // the range needs 3 s
    ASSERT_TRUE(shortOne.samplePeakDbfs.has_value());
    EXPECT_NEAR(*shortOne.samplePeakDbfs, -6.02, 0.01);
}
