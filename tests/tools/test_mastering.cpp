// Mastering to a ceiling and a target, judged by meters that share nothing with the renderer: ffmpeg's
// ebur128 filter, sox resampling to 16 times the rate, and libebur128 through the renderer's report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include <unistd.h>

#include "tools/pluginhost/HostedPlugin.h"
#include "tools/vsthost/PluginLibrary.h"
#include "tools/render/AudioFile.h"
#include "tools/render/Batch.h"
#include "tools/render/RenderJob.h"

using namespace Render;

namespace {

// One folder per test: ctest runs the tests of this program side by side.
std::string testFolder()
{
    return VstHost::programFolder() + "mastering-" + testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
}

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The last number after `key` in a tool's output.
double lastNumberAfter(const std::string& text, const std::string& key)
{
    const std::size_t at = text.rfind(key);
    return at == std::string::npos ? NAN : std::strtod(text.c_str() + at + key.size(), nullptr);
}

struct Ffmpeg {
    double integratedLufs, truePeakDbtp;
};
Ffmpeg ffmpegMeasures(const std::string& path)
{
    const std::string out = run("ffmpeg -nostats -hide_banner -i '" + path + "' -af ebur128=peak=true -f null -");
    return {lastNumberAfter(out, "I:"), lastNumberAfter(out, "Peak:")};
}

// ffmpeg's true peak to a hundredth of a dB, where its summary rounds to a tenth: the largest of the
// per-channel peaks it attaches to each frame (three decimals, linear), less half the last decimal, in dBTP.
double ffmpegFineTruePeakDbtp(const std::string& path)
{
    const std::string out = run("ffmpeg -nostats -hide_banner -i '" + path +
                                "' -af ebur128=peak=true:metadata=1,ametadata=print -f null -");
    const std::string key = "lavfi.r128.true_peaks_ch";
    double largest = NAN;
    for (std::size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + 1)) {
        const std::size_t equals = out.find('=', at);
        if (equals == std::string::npos)
            break;
        const double value = std::strtod(out.c_str() + equals + 1, nullptr);
        largest = std::isnan(largest) ? value : std::max(largest, value);
    }
    return 20.0 * std::log10(largest - 0.0005);
}

// The largest sample after sox rebuilds the signal at 16 times the rate (99 % of the band kept, so its
// own filter adds little ringing of its own), in dBFS.
double soxSixteenTimesPeak(const std::string& path, double rate)
{
    const std::string out =
        run("sox '" + path + "' -n rate -v -b 99 " + std::to_string(static_cast<int>(16 * rate)) + " stats");
    return lastNumberAfter(out.substr(0, out.find("RMS lev")), "Pk lev dB");
}

class Mastering : public ::testing::Test {
protected:
    const std::string folder = testFolder();

    void SetUp() override
    {
        ASSERT_EQ(std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str()), 0);
        std::string error;
        plugin = PluginHost::openPluginFile(VstHost::programFolder() + "../Tarn.so", error);
        ASSERT_TRUE(plugin) << error;
    }
    void TearDown() override { (void)std::system(("rm -rf '" + folder + "'").c_str()); }

    // A signal made by sox: `synth` arguments, then effects; floating point, so levels over full scale
    // are kept, not clipped. Repeatable: its noise is the same on every run.
    std::string soxSignal(const std::string& name, const std::string& synth, const std::string& effects = "")
    {
        const std::string path = folder + name;
        const std::string out = run("sox -R -n -r 44100 -e floating-point -b 32 -c 2 '" + path + "' synth 6 " + synth +
                                    (effects.empty() ? "" : " " + effects));
        EXPECT_EQ(access(path.c_str(), R_OK), 0) << out;
        return path;
    }

    JobResult render(const std::string& input, const std::string& output, const JobSettings& settings)
    {
        JobFiles files;
        files.input = input;
        files.output = output;
        return runJob(*plugin, settings, files);
    }

    std::unique_ptr<PluginHost::PluginFile> plugin;
};

JobSettings ceilingAt(double dbtp)
{
    JobSettings s;
    s.truePeakCeilingDbtp = dbtp;
    s.outputFormat = FileFormat::wav | FileFormat::pcm24;
    return s;
}

}  // namespace

// Loud signals through the limiter at 0 dB and the ceiling at -1 dBTP: the written 24-bit file is at or
// under -1 dBTP by libebur128 and by ffmpeg (whose resampler reads full-band noise higher than the
// loudness standard's filter, and mirrors the start of the file, where the noise begins at full level);
// and, where the signal's energy stays below the top of the band, within 0.1 dB of it when sox rebuilds
// it at 16 times the rate.
TEST_F(Mastering, TheCeilingHoldsInTheWrittenFileByIndependentMeters)
{
    const struct {
        const char* name;
        std::string input;
        bool bandLimited;  // energy near the Nyquist frequency makes the 16x reading depend on sox's filter
    } cases[] = {
        {"pink noise", soxSignal("pink.wav", "pinknoise", "gain -n 3"), true},
        {"a tone just under the Nyquist frequency", soxSignal("nyquist.wav", "sine 20000", "gain -n 2"), true},
        {"music-like: chords over pink noise, swelling",
         soxSignal("music.wav", "pinknoise sine 110 sine 220 sine 277 sine 330 sine 440",
                   "remix 1,2,3,4,5,6 1,2,3,4,5,6 tremolo 2 60 gain -n 2"),
         true},
        {"white noise", soxSignal("white.wav", "whitenoise", "gain -n 1"), false},
        {"a square wave", soxSignal("square.wav", "square 441", "gain -n 1"), false},
        {"the built-in signal", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = folder + "out.wav";
        const JobResult result = render(c.input, out, ceilingAt(-1.0));
        ASSERT_EQ(result.error, "");
        ASSERT_TRUE(result.report.outputLoudness && result.report.outputLoudness->truePeakDbtp);
        EXPECT_LE(*result.report.outputLoudness->truePeakDbtp, -1.0);
        EXPECT_GT(result.report.ceilingReductionDb.value_or(0.0), 0.0);
        EXPECT_LE(ffmpegFineTruePeakDbtp(out), -1.0);
        if (c.bandLimited) {
            EXPECT_LE(soxSixteenTimesPeak(out, 44100.0), -0.9);
        }
    }
}

// A file that begins at full level: ffmpeg's resampler reads the frames before the first as their mirror
// image, not as silence, and so finds other peaks there. A square wave whose first sample is zero rings
// more mirrored (a one-sample dip in a plateau) than after silence (a step); the stage holds both readings.
TEST_F(Mastering, AFileThatBeginsAtFullLevelStaysUnderTheCeilingByFfmpeg)
{
    StereoAudio square;
    square.sampleRate = 44100.0;
    square.format = FileFormat::wav | FileFormat::float32;
    for (int i = 0; i < 44100; ++i) {
        const float value = i == 0 ? 0.0f : (i % 100 < 50 ? 0.95f : -0.95f);
        square.left.push_back(value);
        square.right.push_back(value);
    }
    std::string error;
    ASSERT_TRUE(writeAudio(folder + "square.wav", square, error)) << error;
    const std::string out = folder + "out.wav";
    const JobResult result = render(folder + "square.wav", out, ceilingAt(-1.0));
    ASSERT_EQ(result.error, "");
    ASSERT_TRUE(result.report.outputLoudness && result.report.outputLoudness->truePeakDbtp);
    EXPECT_LE(*result.report.outputLoudness->truePeakDbtp, -1.0);
    EXPECT_LE(ffmpegFineTruePeakDbtp(out), -1.0);
}

// The ceiling's look-ahead is compensated with the plug-in's: an impulse under the ceiling comes out at
// its own frame, whole.
TEST_F(Mastering, AnImpulseComesOutAtItsOwnFrameThroughTheCeiling)
{
    StereoAudio impulse;
    impulse.sampleRate = 48000.0;
    impulse.format = FileFormat::wav | FileFormat::float32;
    impulse.left.assign(4800, 0.0f);
    impulse.right.assign(4800, 0.0f);
    impulse.left[1000] = impulse.right[1000] = 0.5f;
    std::string error;
    ASSERT_TRUE(writeAudio(folder + "impulse.wav", impulse, error)) << error;
    ASSERT_EQ(render(folder + "impulse.wav", folder + "out.wav", ceilingAt(-1.0)).error, "");
    StereoAudio back;
    ASSERT_TRUE(readAudio(folder + "out.wav", back, error)) << error;
    ASSERT_EQ(back.frames(), 4800u);
    std::size_t loudest = 0;
    for (std::size_t i = 0; i < back.frames(); ++i)
        if (std::fabs(back.left[i]) > std::fabs(back.left[loudest]))
            loudest = i;
    EXPECT_EQ(loudest, 1000u);
    EXPECT_NEAR(back.left[1000], 0.5f, 1e-3f);
}

// Quiet material brought to -14 and -23 LUFS under a -1 dBTP ceiling: within 0.1 LU by the report and
// by ffmpeg, and still under the ceiling.
TEST_F(Mastering, LoudnessTargetsAreMetWithinATenthOfALu)
{
    const std::string inputs[] = {soxSignal("pink.wav", "pinknoise", "gain -n -18"),
                                  soxSignal("music.wav", "pinknoise sine 110 sine 220 sine 330 sine 440",
                                            "remix 1,2,3,4,5 1,2,3,4,5 tremolo 3 50 gain -n -20"),
                                  soxSignal("tone.wav", "sine 997", "tremolo 1 90 gain -n -26")};
    for (const std::string& input : inputs)
        for (double target : {-14.0, -23.0}) {
            SCOPED_TRACE(input + " to " + std::to_string(target));
            JobSettings s = ceilingAt(-1.0);
            s.targetLufs = target;
            const std::string out = folder + "out.wav";
            const JobResult result = render(input, out, s);
            ASSERT_EQ(result.error, "");
            ASSERT_TRUE(result.report.chosen);
            EXPECT_TRUE(result.report.chosen->reached);
            EXPECT_LE(result.report.chosen->passes, 10);
            EXPECT_NEAR(*result.report.outputLoudness->integratedLufs, target, 0.1);
            const Ffmpeg measured = ffmpegMeasures(out);
            EXPECT_NEAR(measured.integratedLufs, target, 0.1 + 0.05);  // ffmpeg prints one decimal
            EXPECT_LE(measured.truePeakDbtp, -1.0);
        }
}

// A target the limiter cannot reach is refused with the nearest loudness and nothing written, unless
// --nearest asks for that result.
TEST_F(Mastering, UnreachableTargetsAreRefusedUnlessTheNearestIsAskedFor)
{
    const std::string out = folder + "out.wav";
    JobSettings s = ceilingAt(-1.0);
    s.targetLufs = -30.0;  // the built-in signal is far louder with the threshold at 0 dB
    JobResult result = render("", out, s);
    EXPECT_NE(result.error.find("already louder"), std::string::npos) << result.error;
    EXPECT_NE(access(out.c_str(), F_OK), 0);

    const std::string quiet = soxSignal("quiet.wav", "sine 997", "gain -n -60");
    s.targetLufs = -8.0;  // beyond -20 dB of threshold for a tone at -60 dBFS
    result = render(quiet, out, s);
    EXPECT_NE(result.error.find("beyond reach"), std::string::npos) << result.error;
    EXPECT_NE(access(out.c_str(), F_OK), 0);

    s.nearest = true;
    result = render(quiet, out, s);
    ASSERT_EQ(result.error, "");
    ASSERT_TRUE(result.report.chosen);
    EXPECT_FALSE(result.report.chosen->reached);
    EXPECT_EQ(result.report.chosen->threshold, 0.0f);
    EXPECT_EQ(access(out.c_str(), F_OK), 0);
}

// An album keeps its files' loudness relative to each other: one threshold for all.
TEST_F(Mastering, AnAlbumKeepsItsFilesRelativeLoudness)
{
    const std::string loud = soxSignal("a.wav", "pinknoise", "gain -n -18");
    const std::string quiet = soxSignal("b.wav", "pinknoise", "gain -n -24");
    JobSettings s = ceilingAt(-1.0);
    s.targetLufs = -16.0;
    s.album = true;
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "out'").c_str()), 0);
    std::ostringstream report;
    EXPECT_EQ(renderBatch(*plugin, s, {loud, quiet}, BatchFolders{folder + "out", "", ""}, report), 0) << report.str();
    const double before = ffmpegMeasures(loud).integratedLufs - ffmpegMeasures(quiet).integratedLufs;
    const double after =
        ffmpegMeasures(folder + "out/a.wav").integratedLufs - ffmpegMeasures(folder + "out/b.wav").integratedLufs;
    EXPECT_NEAR(after, before, 0.3) << report.str();
    EXPECT_NE(report.str().find("album: "), std::string::npos) << report.str();
}
