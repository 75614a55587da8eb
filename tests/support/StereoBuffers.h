#pragma once

#include <vector>

namespace TestSupport {

// Two channels of samples with the pointer arrays a process call takes.
template <typename Sample>
struct StereoBuffers {
    explicit StereoBuffers(int frames, Sample fill = 0) : left(frames, fill), right(frames, fill)
    {
        pointers[0] = left.data();
        pointers[1] = right.data();
    }
    Sample** get() { return pointers; }
    std::vector<Sample> left, right;
    Sample* pointers[2];
};

}  // namespace TestSupport
