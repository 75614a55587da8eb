// Whole files on top of the streamed reader and writer, and audio in memory served as a reader.
#include <algorithm>

#include "tools/render/AudioFile.h"

namespace Render {

namespace {

class MemoryReader : public AudioReader {
public:
    explicit MemoryReader(StereoAudio audio) : audio_(std::move(audio))
    {
        shape_.sampleRate = audio_.sampleRate;
        shape_.format = audio_.format;
        shape_.fileChannels = audio_.fileChannels;
        announced_ = static_cast<std::int64_t>(audio_.frames());
    }
    std::size_t read(float* left, float* right, std::size_t frames) override
    {
        const std::size_t n = std::min(frames, audio_.frames() - at_);
        std::copy_n(audio_.left.begin() + static_cast<std::ptrdiff_t>(at_), n, left);
        std::copy_n(audio_.right.begin() + static_cast<std::ptrdiff_t>(at_), n, right);
        at_ += n;
        return n;
    }
    bool finish(std::string& error) override
    {
        if (audio_.frames() == 0)
            error = "no audio";
        return audio_.frames() != 0;
    }

private:
    StereoAudio audio_;
    std::size_t at_ = 0;
};

}  // namespace

std::unique_ptr<AudioReader> audioFromMemory(StereoAudio audio)
{
    return std::make_unique<MemoryReader>(std::move(audio));
}

bool readAudio(const std::string& path, StereoAudio& audio, std::string& error)
{
    const auto reader = openAudio(path, error);
    if (!reader)
        return false;
    audio = reader->shape();
    audio.left.clear();
    audio.right.clear();
    constexpr std::size_t block = 1 << 16;
    for (;;) {
        const std::size_t at = audio.left.size();
        audio.left.resize(at + block);
        audio.right.resize(at + block);
        const std::size_t got = reader->read(audio.left.data() + at, audio.right.data() + at, block);
        audio.left.resize(at + got);
        audio.right.resize(at + got);
        if (got == 0)
            break;
    }
    return reader->finish(error);
}

bool writeAudio(const std::string& path, const StereoAudio& audio, std::string& error)
{
    const auto writer = createAudio(path, audio, error);
    if (!writer)
        return false;
    writer->write(audio.left.data(), audio.right.data(), audio.frames());
    return writer->close(error);
}

}  // namespace Render
