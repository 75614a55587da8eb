#include "vst3/Vst3State.h"

#include <cstdint>
#include <cstring>

#include "limiter/ProductFacts.h"

namespace Vst3Face {

namespace {

std::uint32_t bigEndian(const unsigned char* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool startsWith(const unsigned char* p, std::size_t size, const char (&tag)[5])
{
    return size >= 4 && std::memcmp(p, tag, 4) == 0;
}

// The fixed part of the preset forms: magic, size, kind, format version, ID, version, count; then the
// program's name (28 bytes) or the bank's current program and reserved bytes (128); then the chunk's size.
constexpr std::size_t fixedFields = 7 * 4;
constexpr std::size_t programHeader = fixedFields + 28 + 4, bankHeader = fixedFields + 128 + 4;

bool chunkOfPreset(const unsigned char* p, std::size_t size, std::vector<unsigned char>& chunk)
{
    if (size < fixedFields)
        return false;
    const bool bank = std::memcmp(p + 8, "FBCh", 4) == 0, program = std::memcmp(p + 8, "FPCh", 4) == 0;
    const std::size_t head = bank ? bankHeader : programHeader;
    if ((!bank && !program) || size < head || bigEndian(p + 16) != static_cast<std::uint32_t>(ProductFacts::uniqueId))
        return false;
    const std::uint32_t length = bigEndian(p + head - 4);
    if (length > size - head)
        return false;
    chunk.assign(p + head, p + head + length);
    return true;
}

}  // namespace

bool chunkOfState(const std::vector<unsigned char>& state, std::vector<unsigned char>& chunk)
{
    const unsigned char* p = state.data();
    std::size_t size = state.size();
    if (startsWith(p, size, "VstW")) {
        if (size < 8 || bigEndian(p + 4) > size - 8)
            return false;
        const std::size_t skip = 8 + bigEndian(p + 4);
        p += skip;
        size -= skip;
        if (!startsWith(p, size, "CcnK"))
            return false;
    }
    if (startsWith(p, size, "CcnK"))
        return chunkOfPreset(p, size, chunk);
    chunk.assign(p, p + size);
    return true;
}

}  // namespace Vst3Face
