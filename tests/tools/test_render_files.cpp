// tarn-render never loses a file: an input is never written over, OUT is written as sox and ffmpeg
// write it, damaged and truncated files are refused with nothing left behind, and the output lines up
// with the input.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "tools/pluginhost/HostedPlugin.h"
#include "tools/vsthost/PluginLibrary.h"
#include "tools/render/AudioFile.h"
#include "tools/render/Batch.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/RenderJob.h"

using namespace Render;

namespace {

// One folder per test: ctest runs the tests of this file side by side.
std::string folder;

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void putBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool exists(const std::string& path)
{
    struct stat s {};
    return lstat(path.c_str(), &s) == 0;
}

class RenderFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = VstHost::programFolder() + "render-files-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        ASSERT_EQ(std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str()), 0);
        std::string error;
        plugin = PluginHost::openPluginFile(VstHost::programFolder() + "../Tarn.so", error);
        ASSERT_TRUE(plugin) << error;
    }
    void TearDown() override { (void)std::system(("rm -rf '" + folder + "'").c_str()); }

    std::string writeSignal(const std::string& name, int format, double seconds = 0.5, double rate = 44100.0)
    {
        StereoAudio audio = defaultSignal(rate, seconds);
        audio.format = format;
        roundAsWritten(audio);
        std::string error;
        EXPECT_TRUE(writeAudio(folder + name, audio, error)) << error;
        return folder + name;
    }

    JobResult render(const std::string& input, const std::string& output, JobSettings settings = {})
    {
        JobFiles files;
        files.input = input;
        files.output = output;
        return runJob(*plugin, settings, files);
    }

    std::unique_ptr<PluginHost::PluginFile> plugin;
};

}  // namespace

TEST_F(RenderFiles, AnInputIsNeverWrittenOver)
{
    const std::string input = writeSignal("in.wav", FileFormat::wav | FileFormat::pcm16);
    const std::string before = bytesOf(input);
    ASSERT_EQ(symlink("in.wav", (folder + "link.wav").c_str()), 0);
    ASSERT_EQ(link(input.c_str(), (folder + "hard.wav").c_str()), 0);
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "sub'").c_str()), 0);
    for (const std::string& out :
         {input, folder + "link.wav", folder + "hard.wav", folder + "sub/../in.wav", folder + "./in.wav"}) {
        const JobResult result = render(input, out);
        EXPECT_NE(result.error.find("is the input file"), std::string::npos) << out << ": " << result.error;
        JobFiles asPicture{input, "", out, ""}, asJson{input, "", "", out};
        EXPECT_FALSE(runJob(*plugin, JobSettings{}, asPicture).error.empty()) << out;
        EXPECT_FALSE(runJob(*plugin, JobSettings{}, asJson).error.empty()) << out;
    }
    // A batch into the input's own folder: that file is refused, the next one still rendered.
    const std::string other = writeSignal("other.flac", FileFormat::flac | FileFormat::pcm16);
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "out'").c_str()), 0);
    std::ostringstream report;
    EXPECT_EQ(renderBatch(*plugin, JobSettings{}, {input, folder + "out/../other.flac"}, BatchFolders{folder, "", ""},
                          report),
              2)
        << report.str();
    EXPECT_EQ(bytesOf(input), before);
    EXPECT_TRUE(exists(other));
    EXPECT_FALSE(exists(input + ".part"));
}

TEST_F(RenderFiles, OutIsWrittenAsSoxAndFfmpegWriteIt)
{
    const std::string input = writeSignal("in.wav", FileFormat::wav | FileFormat::pcm16);
    // A symlink: its target is written, the link stays.
    ASSERT_EQ(symlink("target.wav", (folder + "link.wav").c_str()), 0);
    EXPECT_EQ(render(input, folder + "link.wav").error, "");
    struct stat s {};
    ASSERT_EQ(lstat((folder + "link.wav").c_str(), &s), 0);
    EXPECT_TRUE(S_ISLNK(s.st_mode));
    StereoAudio back;
    std::string error;
    EXPECT_TRUE(readAudio(folder + "target.wav", back, error)) << error;
    EXPECT_EQ(back.frames(), 22050u);

    // A device: written in place, never replaced.
    EXPECT_EQ(render(input, "/dev/null").error, "");
    ASSERT_EQ(stat("/dev/null", &s), 0);
    EXPECT_TRUE(S_ISCHR(s.st_mode));

    // A FIFO: the reader at its other end gets the whole file.
    const std::string fifo = folder + "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string piped;
    std::thread reader([&] { piped = bytesOf(fifo); });
    JobSettings asFloat;
    asFloat.outputFormat = FileFormat::wav | FileFormat::float32;
    EXPECT_EQ(render(input, fifo, asFloat).error, "");
    reader.join();
    EXPECT_GT(piped.size(), 22050u * 8);
    ASSERT_EQ(lstat(fifo.c_str(), &s), 0);
    EXPECT_TRUE(S_ISFIFO(s.st_mode));

    // A directory is refused; a failed write names the system's reason and leaves nothing.
    EXPECT_NE(render(input, folder).error.find("is a directory"), std::string::npos);
    EXPECT_NE(render(input, "/dev/full").error.find("No space left on device"), std::string::npos);
    const std::string nowhere = folder + "missing/out.wav";
    EXPECT_NE(render(input, nowhere).error.find("No such file or directory"), std::string::npos);
    JobFiles picture{input, "", "/dev/full", ""};
    EXPECT_NE(runJob(*plugin, JobSettings{}, picture).error.find("No space left on device"), std::string::npos);
    JobFiles json{input, folder + "whole.wav", "", nowhere};
    EXPECT_NE(runJob(*plugin, JobSettings{}, json).error.find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(exists(nowhere + ".part"));
}

TEST_F(RenderFiles, TruncatedAndLyingFilesAreRefusedAndLeaveNothing)
{
    const std::pair<const char*, int> formats[] = {
        {"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},   {"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
        {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}, {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"w64", SF_FORMAT_W64 | SF_FORMAT_FLOAT},    {"au", SF_FORMAT_AU | SF_FORMAT_PCM_16},
        {"caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16}};
    const std::string out = folder + "out.wav";
    for (const auto& [extension, format] : formats) {
        const std::string whole = writeSignal(std::string("whole.") + extension, format, 2.0);
        const std::string bytes = bytesOf(whole);
        for (const double share : {0.3, 0.6, 0.95, 0.99}) {
            SCOPED_TRACE(std::string(extension) + " cut at " + std::to_string(share));
            const std::string cut = folder + "cut." + extension;
            putBytes(cut, bytes.substr(0, static_cast<std::size_t>(bytes.size() * share)));
            const JobResult result = render(cut, out);
            EXPECT_FALSE(result.error.empty());
            EXPECT_FALSE(exists(out));
            EXPECT_FALSE(exists(out + ".part"));
        }
        EXPECT_EQ(render(whole, out).error, "") << extension;
        std::remove(out.c_str());
    }

    // Headers that claim far more than the file holds: refused, never sized by.
    std::string wav = bytesOf(folder + "whole.wav");
    for (const std::uint32_t claim : {0x7FFFFFF0u, 0xFFFFFFFFu}) {
        for (int i = 0; i < 4; ++i)
            wav[40 + i] = static_cast<char>(claim >> (8 * i));
        putBytes(folder + "lying.wav", wav);
        EXPECT_FALSE(render(folder + "lying.wav", out).error.empty());
        EXPECT_FALSE(exists(out));
    }
}

TEST_F(RenderFiles, OutputLinesUpWithTheInput)
{
    for (const double rate : {44100.0, 96000.0}) {
        SCOPED_TRACE(rate);
        // An impulse at frame 1000 and one on the last frame, below the threshold.
        StereoAudio impulse;
        impulse.sampleRate = rate;
        impulse.format = FileFormat::wav | FileFormat::float32;
        impulse.left.assign(5000, 0.0f);
        impulse.left[1000] = impulse.left[4999] = 0.25f;
        impulse.right = impulse.left;
        std::string error;
        ASSERT_TRUE(writeAudio(folder + "impulse.wav", impulse, error)) << error;
        for (const bool keep : {false, true}) {
            JobSettings settings;
            settings.keepLatency = keep;
            settings.settings.push_back({"dither", "24bits"});
            const JobResult result = render(folder + "impulse.wav", folder + "out.wav", settings);
            ASSERT_EQ(result.error, "");
            EXPECT_EQ(result.report.latencyCompensated, !keep);
            const int latency = result.report.reportedLatency;
            EXPECT_GT(latency, 0);
            StereoAudio out;
            ASSERT_TRUE(readAudio(folder + "out.wav", out, error)) << error;
            ASSERT_EQ(out.frames(), 5000u);
            std::vector<std::size_t> loud;
            for (std::size_t i = 0; i < out.frames(); ++i)
                if (std::fabs(out.left[i]) > 0.01f)
                    loud.push_back(i);
            const std::size_t shift = keep ? static_cast<std::size_t>(latency) : 0;
            const std::vector<std::size_t> expected =
                keep ? std::vector<std::size_t>{1000 + shift} : std::vector<std::size_t>{1000, 4999};
            EXPECT_EQ(loud, expected);
        }

        // A real signal: the compensated output is the plug-in's own output moved back by its latency
        // (up to the dither, which differs from instance to instance).
        const std::string signal = writeSignal("signal.wav", FileFormat::wav | FileFormat::float32, 1.0, rate);
        JobSettings settings;
        settings.settings.push_back({"thresh.", "-6dB"});
        settings.settings.push_back({"dither", "24bits"});
        ASSERT_EQ(render(signal, folder + "aligned.wav", settings).error, "");
        settings.keepLatency = true;
        const JobResult raw = render(signal, folder + "raw.wav", settings);
        ASSERT_EQ(raw.error, "");
        StereoAudio aligned, played;
        ASSERT_TRUE(readAudio(folder + "aligned.wav", aligned, error));
        ASSERT_TRUE(readAudio(folder + "raw.wav", played, error));
        ASSERT_EQ(aligned.frames(), played.frames());
        const std::size_t latency = static_cast<std::size_t>(raw.report.reportedLatency);
        std::size_t differing = 0;
        for (std::size_t i = 0; i + latency < aligned.frames(); ++i)
            differing += std::fabs(aligned.left[i] - played.left[i + latency]) > 1e-6f ||
                         std::fabs(aligned.right[i] - played.right[i + latency]) > 1e-6f;
        EXPECT_EQ(differing, 0u);
    }
}

TEST_F(RenderFiles, NonFiniteInputIsCountedAndReported)
{
    StereoAudio audio = defaultSignal(44100.0, 0.5);
    audio.format = FileFormat::wav | FileFormat::float32;
    audio.left[100] = std::nanf("");
    audio.right[200] = INFINITY;
    audio.left[300] = -INFINITY;
    std::string error;
    ASSERT_TRUE(writeAudio(folder + "odd.wav", audio, error)) << error;
    JobFiles files{folder + "odd.wav", folder + "out.wav", "", folder + "odd.json"};
    const JobResult result = runJob(*plugin, JobSettings{}, files);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.report.nonFiniteInputSamples, 3);
    EXPECT_TRUE(std::isfinite(result.report.inputPeakDb));
    std::ostringstream text;
    printReport(result.report, text);
    EXPECT_NE(text.str().find("3 non-finite samples"), std::string::npos) << text.str();
    EXPECT_NE(bytesOf(folder + "odd.json").find("\"non_finite_input_samples\": 3"), std::string::npos);
}

// The tool itself: a batch with a damaged file reports it, renders the next one and exits 1 (a
// message, not an abort); a refused preset or setting writes nothing.
TEST_F(RenderFiles, TheToolExitsWithAMessageAndGoesOnWithTheBatch)
{
    const std::string good = writeSignal("good.wav", FileFormat::wav | FileFormat::pcm16);
    std::string lying = bytesOf(good);
    for (int i = 0; i < 4; ++i)
        lying[40 + i] = '\x7F';  // a data chunk of 2 GB in a file of 90 kB
    putBytes(folder + "lying.wav", lying);
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "out'").c_str()), 0);
    const std::string tool = "'" + VstHost::programFolder() + "../tarn-render' ";
    const auto run = [&](const std::string& args) {
        const int status = std::system((tool + args + " >'" + folder + "log' 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    };
    EXPECT_EQ(run("--outdir '" + folder + "out' '" + folder + "lying.wav' '" + good + "'"), 1);
    EXPECT_NE(bytesOf(folder + "log").find("1 rendered, 1 failed"), std::string::npos) << bytesOf(folder + "log");
    EXPECT_FALSE(exists(folder + "out/lying.wav"));
    EXPECT_TRUE(exists(folder + "out/good.wav"));

    EXPECT_EQ(run("--set dither=20bits '" + good + "' '" + folder + "refused.wav'"), 1);
    EXPECT_EQ(run("--load-bank '" + good + "' '" + good + "' '" + folder + "refused.wav'"), 1);
    EXPECT_EQ(run("--plot-size 20000x500 --plot '" + folder + "big.png' '" + good + "' '" + folder + "refused.wav'"),
              2);
    EXPECT_FALSE(exists(folder + "refused.wav"));
    EXPECT_FALSE(exists(folder + "big.png"));
}
