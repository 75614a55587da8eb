// A float's 32 bits and back: parameter values are stored, and sent in window messages, as plain words.
#pragma once

#include <cstdint>
#include <cstring>

namespace PlugCore {

inline std::uint32_t bitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline float floatOf(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace PlugCore
