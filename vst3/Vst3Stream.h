// A host's state stream read to its end, for the processor and the controller alike.
#pragma once

#include <travesty/bstream.h>

#include <cstdint>
#include <vector>

#include "driver/StateStream.h"

namespace Vst3Face {

inline bool readWholeStream(v3_bstream** stream, std::vector<unsigned char>& state)
{
    const auto read = [stream](unsigned char* buffer, std::int64_t size) -> std::int64_t {
        int32_t got = 0;
        if (v3_cpp_obj(stream)->read(stream, buffer, static_cast<int32_t>(size), &got) != V3_OK)
            return -1;
        return got;
    };
    return Driver::readStateStream(read, state);
}

}  // namespace Vst3Face
