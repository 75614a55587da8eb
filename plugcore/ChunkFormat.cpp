#include "plugcore/ChunkFormat.h"

namespace PlugCore {
namespace Chunk {

void Writer::header()
{
    for (int shift = 0; shift < 32; shift += 8)
        byte(static_cast<std::uint8_t>(magic >> shift));
    u16(static_cast<std::uint16_t>(version));
    u16(0);
}

void Writer::u16(std::uint16_t v)
{
    byte(static_cast<std::uint8_t>(v & 0xFF));
    byte(static_cast<std::uint8_t>(v >> 8));
}

void Writer::raw(const char* data, std::size_t count) { bytes.insert(bytes.end(), data, data + count); }

}  // namespace Chunk
}  // namespace PlugCore
