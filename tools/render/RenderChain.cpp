#include "tools/render/RenderChain.h"

#include <algorithm>

namespace Render {

namespace {

// Input frames waiting for the output they will be paired with: at most the latency and one block.
class PendingInput {
public:
    void append(const float* left, const float* right, std::size_t frames)
    {
        left_.insert(left_.end(), left, left + frames);
        right_.insert(right_.end(), right, right + frames);
    }
    void appendSilence(std::size_t frames)
    {
        left_.resize(left_.size() + frames, 0.0f);
        right_.resize(right_.size() + frames, 0.0f);
    }
    // The oldest `frames` frames into out, then dropped.
    void take(std::size_t frames, float* left, float* right)
    {
        std::copy_n(left_.begin(), frames, left);
        std::copy_n(right_.begin(), frames, right);
        left_.erase(left_.begin(), left_.begin() + static_cast<std::ptrdiff_t>(frames));
        right_.erase(right_.begin(), right_.begin() + static_cast<std::ptrdiff_t>(frames));
    }

private:
    std::vector<float> left_, right_;
};

}  // namespace

ChainResult runChain(AudioReader& reader, const std::vector<Stage*>& stages, const std::vector<Sink*>& sinks,
                     const ChainOptions& options)
{
    ChainResult result;
    for (const Stage* stage : stages)
        result.latency += std::max(stage->latency(), 0);
    const std::size_t block = std::max<std::size_t>(options.blockSize, 1);
    std::vector<float> workL(block), workR(block), pairL(block), pairR(block);
    PendingInput pending;
    // Output frames still to drop (compensated) before the output lines up with the input.
    std::size_t toDrop = options.compensateLatency ? static_cast<std::size_t>(result.latency) : 0;
    if (!options.compensateLatency)
        pending.appendSilence(static_cast<std::size_t>(result.latency));
    std::size_t flush = options.compensateLatency ? static_cast<std::size_t>(result.latency) : 0;
    const std::int64_t announced = reader.announcedFrames();
    const std::size_t progressStep =
        announced > 0 ? std::max<std::size_t>(static_cast<std::size_t>(announced) / 50, 1) : 0;
    std::size_t nextProgress = progressStep;

    for (bool inputEnded = false;;) {
        std::size_t n = 0;
        if (!inputEnded) {
            n = reader.read(workL.data(), workR.data(), block);
            if (n == 0)
                inputEnded = true;
        }
        if (inputEnded) {
            if (flush == 0)
                break;
            n = std::min(flush, block);  // the tail, pushed out by silence
            flush -= n;
            std::fill_n(workL.begin(), n, 0.0f);
            std::fill_n(workR.begin(), n, 0.0f);
        } else {
            StereoBlock in{workL.data(), workR.data(), n};
            if (options.inputTap)
                options.inputTap(in);
            pending.append(workL.data(), workR.data(), n);
            result.inputFrames += n;
        }
        StereoBlock work{workL.data(), workR.data(), n};
        for (Stage* stage : stages)
            stage->process(work);
        const std::size_t dropped = std::min(toDrop, n);
        toDrop -= dropped;
        const std::size_t out = n - dropped;
        if (out == 0)
            continue;
        pending.take(out, pairL.data(), pairR.data());
        const StereoBlock input{pairL.data(), pairR.data(), out};
        StereoBlock output{workL.data() + dropped, workR.data() + dropped, out};
        for (Sink* sink : sinks)
            sink->take(input, output);
        result.outputFrames += out;
        if (options.progress && progressStep && result.inputFrames >= nextProgress) {
            nextProgress += progressStep;
            options.progress(std::min(1.0, static_cast<double>(result.inputFrames) / static_cast<double>(announced)));
        }
    }
    if (options.progress)
        options.progress(1.0);
    return result;
}

}  // namespace Render
