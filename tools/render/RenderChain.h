// The render as a chain over blocks: a reader, stages that change the audio (the plug-in; later ones
// such as a ceiling go after it), and sinks that see each output block beside the input it came from
// (the file's rounding, the measurements, the picture, the writer). Memory stays a few blocks whatever
// the file's length. Latency is handled once for the whole chain: the stages report theirs and the
// chain either compensates the sum, as a DAW's offline export does (output as long as the input, an
// impulse at frame N out at frame N, the tail flushed with silence), or keeps it as a host plays it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/render/AudioFile.h"

namespace Render {

struct StereoBlock {
    float* left = nullptr;
    float* right = nullptr;
    std::size_t frames = 0;
};

class Stage {
public:
    virtual ~Stage() = default;
    // Frames by which the stage's output trails its input.
    virtual int latency() const = 0;
    // In place, at most the chain's block size.
    virtual void process(StereoBlock& block) = 0;
};

class Sink {
public:
    virtual ~Sink() = default;
    // `input` is the input the output frames came from (silence before the start when the latency is
    // kept). A sink may change `output` for the sinks after it.
    virtual void take(const StereoBlock& input, StereoBlock& output) = 0;
};

struct ChainOptions {
    std::size_t blockSize = 512;
    bool compensateLatency = true;
    // Every input block as read, before the stages (input measurements).
    std::function<void(const StereoBlock&)> inputTap;
    // The share done (0..1) now and then, against the length the reader's header announces.
    std::function<void(double)> progress;
};

struct ChainResult {
    std::size_t inputFrames = 0, outputFrames = 0;
    int latency = 0;  // the stages' sum
};

ChainResult runChain(AudioReader& reader, const std::vector<Stage*>& stages, const std::vector<Sink*>& sinks,
                     const ChainOptions& options);

}  // namespace Render
