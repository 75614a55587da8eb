// Stereo WAV files: 16- and 24-bit PCM and 32-bit float, read whole and written whole.
#pragma once

#include <string>
#include <vector>

namespace Render {

enum class SampleFormat { pcm16, pcm24, float32 };

struct StereoAudio {
    double sampleRate = 44100.0;
    SampleFormat format = SampleFormat::float32;
    std::vector<float> left, right;
    std::size_t frames() const { return left.size(); }
};

// False with a message in `error` when the file is missing, not a WAV file we read, not stereo, or
// shorter than its header says.
bool readWav(const std::string& path, StereoAudio& audio, std::string& error);

// Writes to a temporary name and renames it, so a failed write leaves no partial file.
bool writeWav(const std::string& path, const StereoAudio& audio, std::string& error);

const char* formatName(SampleFormat format);

}  // namespace Render
