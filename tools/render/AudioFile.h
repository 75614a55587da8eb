// Audio files in and out, streamed in blocks so memory does not grow with the file. The native build
// reads whatever libsndfile reads and writes the formats of formatChoices(); the Windows build has a
// small WAV reader and writer of its own (16- and 24-bit PCM, 32-bit float).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/render/StereoAudio.h"

namespace Render {

class AudioReader {
public:
    virtual ~AudioReader() = default;
    // Rate, format and channels; no samples.
    const StereoAudio& shape() const { return shape_; }
    // The length the header claims (-1 when it says none); a hint only, never trusted for sizes.
    std::int64_t announcedFrames() const { return announced_; }
    // Up to `frames` frames, a mono file's one channel in both; 0 at the end or after an error.
    virtual std::size_t read(float* left, float* right, std::size_t frames) = 0;
    // After the last read: false with a reason when the file held no audio, ended before its header
    // said, or the decoder failed.
    virtual bool finish(std::string& error) = 0;

protected:
    StereoAudio shape_;
    std::int64_t announced_ = -1;
};

class AudioWriter {
public:
    virtual ~AudioWriter() = default;
    // A mono file gets the mean of the two channels (after roundAsWritten, both hold it).
    virtual bool write(const float* left, const float* right, std::size_t frames) = 0;
    // False with the reason, leaving nothing; else the file is whole under its name.
    virtual bool close(std::string& error) = 0;
};

// Null with a message in `error` when the file is missing, unreadable, holds no audio we read or has
// more than two channels.
std::unique_ptr<AudioReader> openAudio(const std::string& path, std::string& error);
// The same from bytes in memory (`name` for messages).
std::unique_ptr<AudioReader> openAudioBytes(const std::vector<unsigned char>& bytes, const std::string& name,
                                            std::string& error);
// Audio already in memory (the built-in default signal), served in blocks.
std::unique_ptr<AudioReader> audioFromMemory(StereoAudio audio);
// shape.format at shape.sampleRate with shape.fileChannels, written as OutputFile writes.
std::unique_ptr<AudioWriter> createAudio(const std::string& path, const StereoAudio& shape, std::string& error);

// A whole file in memory, for small files and tests: readAudio is false with the reader's message.
bool readAudio(const std::string& path, StereoAudio& audio, std::string& error);
bool writeAudio(const std::string& path, const StereoAudio& audio, std::string& error);

}  // namespace Render
