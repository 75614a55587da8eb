#pragma once

#include <cmath>
#include <vector>

// A signal well over a -6 dB threshold nearly all the time, so the limiter's log and exp both run.
inline void fillLimitedSignal(std::vector<float>& left, std::vector<float>& right, std::size_t offset = 0)
{
    for (std::size_t i = 0; i < left.size(); ++i) {
        const double t = static_cast<double>(i + offset);
        left[i] = static_cast<float>(1.8 * std::sin(t * 0.0123) + 0.3 * std::sin(t * 0.31));
        right[i] = static_cast<float>(1.6 * std::sin(t * 0.0117 + 1.0) + 0.3 * std::sin(t * 0.29));
    }
}
