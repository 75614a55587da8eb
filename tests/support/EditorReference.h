// One state of the limiter's editor that both window systems draw, the picture the Windows editor
// shows of it (tests/data/editor-windows.bmp, written by the Windows test under Wine), and the
// rectangles of its texts, where the two may differ (GDI's Verdana against the built-in font).
// Everywhere else the Linux editor must show the same pixels.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "limiter/LimiterParams.h"

namespace EditorReference {

constexpr int width = 160, height = 260;
struct Setting {
    int index;
    float value;
};
constexpr Setting settings[] = {{LimiterParams::threshold, 0.3f},
                                {LimiterParams::makeup, 0.6f},
                                {LimiterParams::release, 0.85f},
                                {LimiterParams::meterScale, 1.0f},
                                {LimiterParams::dither, 0.0f}};
constexpr int learningIndex = LimiterParams::makeup;  // its knob shows the learning badge

inline std::string path() { return TARN_EDITOR_REFERENCE; }

// The knobs' text bands and learning badges, the switches' lines.
inline bool inText(int x, int y)
{
    for (int row = 0; row < 3; ++row) {
        const int top = row * 80 + 15;
        if (x < 80 && y >= top + 56 && y < top + 80)
            return true;
        if (x >= 10 && x < 70 && y >= top + 22 && y < top + 46)
            return true;
    }
    return y >= 5 && y < 17;
}

// The reference as 0x00RRGGBB words, top row first; empty when it is missing or not 24-bit.
inline std::vector<std::uint32_t> read()
{
    std::ifstream file(path(), std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto word = [&](std::size_t at) {
        return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
    };
    const std::size_t stride = (width * 3 + 3) & ~3;
    if (b.size() < 54 || word(18) != width || word(22) != height || b[28] != 24 ||
        word(10) + stride * height > b.size())
        return {};
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = b.data() + word(10) + stride * static_cast<std::size_t>(height - 1 - y) + x * 3;
            pixels.push_back(static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]));
        }
    return pixels;
}

// Pixels outside the texts that differ, and the first of them.
struct Difference {
    int count = 0, x = -1, y = -1;
};
inline Difference compare(const std::vector<std::uint32_t>& shown, const std::vector<std::uint32_t>& reference)
{
    Difference d;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * width + x);
            if (!inText(x, y) && (shown[i] & 0xFFFFFF) != (reference[i] & 0xFFFFFF) && d.count++ == 0) {
                d.x = x;
                d.y = y;
            }
        }
    return d;
}

}  // namespace EditorReference
