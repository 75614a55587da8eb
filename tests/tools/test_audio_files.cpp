// Audio files in and out: every written format reads back as written, and damaged files are refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "tests/support/StartedLimiter.h"
#include "tests/support/TestEffect.h"
#include "tools/render/AudioFile.h"
#include "tools/render/DefaultSignal.h"
#include "tools/render/Renderer.h"

using namespace Render;

namespace {

std::string temporaryPath(const std::string& name) { return VstHost::programFolder() + "audio-test-" + name; }

bool exists(const std::string& path) { return std::ifstream(path).good(); }

// Half a second of the default signal through the limiter: dithered, limited audio like a real render's.
StereoAudio limitedAudio()
{
    auto host = TestSupport::startedLimiter(48000.0, 512);
    return renderThrough(*host, defaultSignal(48000.0, 0.5), RenderOptions{});
}

void put(std::string& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i)));
}

// A 16-bit PCM WAV file whose data chunk announces `announced` bytes and holds `present`.
void writeHandMadeWav(const std::string& path, int channels, std::uint32_t announced, std::uint32_t present)
{
    std::string bytes = "RIFF";
    put(bytes, 36 + present, 4);
    bytes += "WAVEfmt ";
    put(bytes, 16, 4);
    put(bytes, 1, 2);
    put(bytes, channels, 2);
    put(bytes, 44100, 4);
    put(bytes, 44100 * 2 * channels, 4);
    put(bytes, 2 * channels, 2);
    put(bytes, 16, 2);
    bytes += "data";
    put(bytes, announced, 4);
    bytes.append(present, '\x10');
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void expectRefused(const std::string& path, const std::string& reason)
{
    StereoAudio audio;
    std::string error;
    EXPECT_FALSE(readAudio(path, audio, error)) << path;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
}

}  // namespace

TEST(AudioFiles, EveryFormatReadsBackAsWritten)
{
#if defined(_WIN32)
    const char* names[] = {"wav16", "wav24", "float"};
#else
    const char* names[] = {"wav16", "wav24", "float", "flac16", "flac24", "aiff16", "aiff24", "ogg"};
#endif
    const StereoAudio limited = limitedAudio();
    for (const char* name : names)
        for (int channels : {2, 1}) {
            SCOPED_TRACE(std::string(name) + (channels == 1 ? " mono" : " stereo"));
            StereoAudio written = limited;
            ASSERT_TRUE(parseFormatName(name, written.format));
            written.fileChannels = channels;
            roundAsWritten(written);
            const std::string path = temporaryPath(name);
            std::string error;
            ASSERT_TRUE(writeAudio(path, written, error)) << error;
            StereoAudio back;
            ASSERT_TRUE(readAudio(path, back, error)) << error;
            std::remove(path.c_str());
            EXPECT_EQ(back.format, written.format);
            EXPECT_EQ(back.fileChannels, channels);
            EXPECT_EQ(back.sampleRate, 48000.0);
            ASSERT_EQ(back.frames(), written.frames());
            if (written.format != (FileFormat::ogg | FileFormat::vorbis)) {
                EXPECT_EQ(back.left, written.left);
                EXPECT_EQ(back.right, written.right);
            }
            if (channels == 1) {
                EXPECT_EQ(written.left, written.right);
            }
        }
}

TEST(AudioFiles, PcmIsRoundedToItsGridAndClipped)
{
    StereoAudio audio;
    audio.format = FileFormat::wav | FileFormat::pcm16;
    audio.left = {1.5f, 0.99999f, -1.2f, 0.3f / 32768.0f, 0.7f / 32768.0f};
    audio.right = audio.left;
    roundAsWritten(audio);
    EXPECT_EQ(audio.left, (std::vector<float>{32767 / 32768.0f, 32767 / 32768.0f, -1.0f, 0.0f, 1 / 32768.0f}));
}

TEST(AudioFiles, DamagedFilesAreRefusedWithAReason)
{
    const std::string path = temporaryPath("bad.wav");
    expectRefused(temporaryPath("missing.wav"), "cannot open");
    writeHandMadeWav(path, 3, 600, 600);
    expectRefused(path, "3 channels");
    writeHandMadeWav(path, 2, 40000, 4000);
    expectRefused(path, "truncated");
    writeHandMadeWav(path, 2, 0, 0);
    expectRefused(path, "no audio");
    std::ofstream(path, std::ios::trunc).close();
    expectRefused(path, path);
    std::remove(path.c_str());

#if !defined(_WIN32)
    const std::string flac = temporaryPath("cut.flac");
    StereoAudio audio = limitedAudio();
    audio.format = FileFormat::flac | FileFormat::pcm24;
    std::string error;
    ASSERT_TRUE(writeAudio(flac, audio, error)) << error;
    std::ifstream whole(flac, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    whole.close();
    std::ofstream(flac, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
    expectRefused(flac, "truncated");
    std::remove(flac.c_str());
#endif
}

TEST(AudioFiles, FailedWriteLeavesNothing)
{
    const std::string unwritable = temporaryPath("no-such-folder/out.wav");
    StereoAudio audio = limitedAudio();
    std::string error;
    EXPECT_FALSE(writeAudio(unwritable, audio, error));
    EXPECT_FALSE(exists(unwritable));
    EXPECT_FALSE(exists(unwritable + ".part"));
}
