// A limiter driven directly through its double-precision path, for tests of the signal processing.
#pragma once

#include <memory>
#include <vector>

#include "limiter/Dither.h"
#include "limiter/Limiter.h"
#include "limiter/LimiterParams.h"

namespace TestSupport {

struct Stereo {
    std::vector<double> left, right;
    explicit Stereo(std::size_t frames = 0, double value = 0.0) : left(frames, value), right(frames, value) {}
    std::size_t frames() const { return left.size(); }
};

class LimiterRig {
public:
    explicit LimiterRig(float rate = 44100.0f, VstInt32 maxBlock = 4096, Limiter* instance = nullptr)
        : limiter(instance ? instance : new Limiter(nullptr)), maxBlock(maxBlock)
    {
        limiter->setSampleRate(rate);
        limiter->setBlockSize(maxBlock);
    }
    LimiterRig& set(int index, float value)
    {
        limiter->setParameter(index, value);
        return *this;
    }
    void start() { limiter->resume(); }

    // Runs the signal in blocks of `block` frames (the last may be shorter).
    Stereo run(const Stereo& in, VstInt32 block)
    {
        Stereo out(in.frames());
        for (std::size_t at = 0; at < in.frames(); at += block) {
            const auto n = static_cast<VstInt32>(std::min<std::size_t>(block, in.frames() - at));
            double* ins[2] = {const_cast<double*>(in.left.data()) + at, const_cast<double*>(in.right.data()) + at};
            double* outs[2] = {out.left.data() + at, out.right.data() + at};
            limiter->processDoubleReplacing(ins, outs, n);
        }
        return out;
    }

    std::unique_ptr<Limiter> limiter;
    VstInt32 maxBlock;
};

}  // namespace TestSupport
