// A host's stored state, read from its stream to the end the same way for every format: in pieces, up to
// a size no state of ours comes near, trusting no count the host gives back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Driver {

// A stored state larger than this is no state of ours (ours are a few kilobytes).
constexpr std::size_t largestState = 1 << 20;

// `read(buffer, size)` puts the stream's next bytes into `buffer` and returns how many (0 at its end,
// negative on a failure). False on a failure, on more than largestState bytes, or on a count larger
// than was asked for (what lies past the buffer is not the host's to give).
template <typename Read> bool readStateStream(Read read, std::vector<unsigned char>& state)
{
    state.clear();
    unsigned char buffer[4096];
    for (;;) {
        const std::int64_t got = read(buffer, static_cast<std::int64_t>(sizeof buffer));
        if (got < 0 || got > static_cast<std::int64_t>(sizeof buffer))
            return false;
        if (got == 0)
            return true;
        state.insert(state.end(), buffer, buffer + got);
        if (state.size() > largestState)
            return false;
    }
}

}  // namespace Driver
