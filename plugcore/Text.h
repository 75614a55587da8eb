#pragma once

#include <cstddef>
#include <cstring>

namespace PlugCore {

// Copies a terminated text into a buffer of the given capacity, always terminating it.
inline void copyText(char* destination, const char* source, std::size_t capacity)
{
    if (capacity == 0)
        return;
    const std::size_t n = strnlen(source, capacity - 1);
    std::memcpy(destination, source, n);
    destination[n] = 0;
}

}  // namespace PlugCore
