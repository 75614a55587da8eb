// libFuzzer target for the renderer's file reader: the bytes go through libsndfile's virtual I/O into
// the reader the renderer streams from, read to the end in blocks. Whatever the header claims, the
// reader must answer with frames or a message, never crash, never hand out more frames than a block
// holds, and never take memory by what a header claims (libFuzzer's malloc limit watches that).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/render/AudioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<unsigned char> bytes(data, data + size);
    std::string error;
    const auto reader = Render::openAudioBytes(bytes, "input", error);
    if (!reader) {
        if (error.empty())
            std::abort();
        return 0;
    }
    const Render::StereoAudio& shape = reader->shape();
    if (shape.fileChannels < 1 || shape.fileChannels > 2 || !(shape.sampleRate > 0.0))
        std::abort();
    constexpr std::size_t block = 1000;  // not a power of two: the reader's own chunks straddle it
    std::vector<float> left(block), right(block);
    while (const std::size_t n = reader->read(left.data(), right.data(), block))
        if (n > block)
            std::abort();
    if (!reader->finish(error) && error.empty())
        std::abort();
    return 0;
}
