#include "vst3/Vst3Ids.h"

#include <cctype>
#include <cstdint>
#include <cstring>

#include "limiter/ProductFacts.h"

namespace Vst3Face {

namespace {

void conventionId(const char (&prefix)[4], v3_tuid id)
{
    // The sixteen bytes in the order the convention writes them as text.
    std::uint8_t s[16] = {static_cast<std::uint8_t>(prefix[0]), static_cast<std::uint8_t>(prefix[1]),
                          static_cast<std::uint8_t>(prefix[2])};
    const auto unique = static_cast<std::uint32_t>(ProductFacts::uniqueId);
    for (int i = 0; i < 4; ++i)
        s[3 + i] = static_cast<std::uint8_t>(unique >> (24 - 8 * i));
    const std::size_t length = std::strlen(ProductFacts::name);
    for (std::size_t i = 0; i < 9; ++i)
        s[7 + i] =
            i < length ? static_cast<std::uint8_t>(std::tolower(static_cast<unsigned char>(ProductFacts::name[i]))) : 0;
#if V3_COM_COMPAT
    // As a GUID in memory: the first word and the two half-words after it little-endian.
    const std::uint8_t order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
#else
    const std::uint8_t order[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
#endif
    for (int i = 0; i < 16; ++i)
        id[i] = s[order[i]];
}

}  // namespace

void processorClassId(v3_tuid id) { conventionId("VST", id); }

void controllerClassId(v3_tuid id) { conventionId("VSE", id); }

}  // namespace Vst3Face
