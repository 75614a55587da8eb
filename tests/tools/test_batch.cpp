// tarn-render --outdir: good files rendered, bad ones reported and skipped with nothing written.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/pluginhost/HostedPlugin.h"
#include "tools/vsthost/PluginLibrary.h"
#include "tools/render/AudioFile.h"
#include "tools/render/Batch.h"
#include "tools/render/DefaultSignal.h"

using namespace Render;

namespace {

const std::string folder = VstHost::programFolder();

std::string path(const std::string& name) { return folder + "batch-test-" + name; }

bool exists(const std::string& file) { return std::ifstream(file).good(); }

void writeSignal(const std::string& file, int format, int channels)
{
    StereoAudio audio = defaultSignal(44100.0, 1.0);
    audio.format = format;
    audio.fileChannels = channels;
    std::string error;
    ASSERT_TRUE(writeAudio(file, audio, error)) << error;
}

void writeThreeChannels(const std::string& file)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 3;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* sound = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(sound, nullptr);
    const std::vector<float> frames(3 * 4410, 0.25f);
    sf_writef_float(sound, frames.data(), 4410);
    sf_close(sound);
}

// The data chunk's size (after the 36-byte header of a plain WAV) made 1000 bytes larger.
void lieAboutTheDataSize(const std::string& file)
{
    std::fstream patch(file, std::ios::in | std::ios::out | std::ios::binary);
    unsigned char size[4];
    patch.seekg(40);
    patch.read(reinterpret_cast<char*>(size), 4);
    const std::uint32_t announced = (size[0] | size[1] << 8 | size[2] << 16 | std::uint32_t(size[3]) << 24) + 1000;
    for (int i = 0; i < 4; ++i)
        size[i] = static_cast<unsigned char>(announced >> (8 * i));
    patch.seekp(40);
    patch.write(reinterpret_cast<const char*>(size), 4);
}

}  // namespace

TEST(RenderBatch, BadFilesAreSkippedAndLeaveNothing)
{
    std::string loadError;
    const auto plugin = PluginHost::openPluginFile(folder + "../Tarn.so", loadError);
    ASSERT_TRUE(plugin) << loadError;
    const std::string outputs = folder + "batch-test-out";
    std::remove(outputs.c_str());
    ASSERT_EQ(std::system(("mkdir -p '" + outputs + "'").c_str()), 0);

    writeSignal(path("stereo.wav"), FileFormat::wav | FileFormat::pcm16, 2);
    writeSignal(path("mono.flac"), FileFormat::flac | FileFormat::pcm24, 1);
    writeThreeChannels(path("three.wav"));
    writeSignal(path("lying.wav"), FileFormat::wav | FileFormat::pcm16, 2);
    lieAboutTheDataSize(path("lying.wav"));
    std::ofstream(path("empty.wav")).close();
    const std::vector<std::string> inputs = {path("stereo.wav"), path("three.wav"), path("lying.wav"),
                                             path("empty.wav"), path("missing.wav"), path("mono.flac")};

    std::ostringstream report;
    const int failed = renderBatch(*plugin, JobSettings{}, inputs, BatchFolders{outputs, "", outputs}, report);
    EXPECT_EQ(failed, 4) << report.str();
    std::istringstream lines(report.str());
    std::vector<std::string> line;
    for (std::string l; std::getline(lines, l);)
        line.push_back(l);
    ASSERT_EQ(line.size(), inputs.size() + 1) << report.str();
    EXPECT_NE(line[1].find("3 channels"), std::string::npos) << line[1];
    EXPECT_NE(line[2].find("truncated"), std::string::npos) << line[2];
    EXPECT_NE(line[3].find("FAILED"), std::string::npos) << line[3];
    EXPECT_NE(line[4].find("cannot open"), std::string::npos) << line[4];
    EXPECT_EQ(line[6], "6 files: 2 rendered, 4 failed");

    for (const std::string& input : inputs) {
        const std::string output = batchOutputPath(input, outputs, 0);
        const bool good = input == path("stereo.wav") || input == path("mono.flac");
        EXPECT_EQ(exists(output), good) << output;
        EXPECT_FALSE(exists(output + ".part")) << output;
        StereoAudio back;
        std::string error;
        if (good) {
            ASSERT_TRUE(readAudio(output, back, error)) << error;
            EXPECT_EQ(back.frames(), 44100u);
            EXPECT_EQ(back.fileChannels, input == path("mono.flac") ? 1 : 2);
        }
        std::remove(output.c_str());
        std::remove(input.c_str());
    }
    for (const char* stem : {"stereo", "mono"}) {
        const std::string json = outputs + "/batch-test-" + stem + ".json";
        EXPECT_TRUE(exists(json)) << json;
        std::remove(json.c_str());
    }
    std::remove(outputs.c_str());
}
