#include "plugcore/ChunkFormat.h"

#include <cstring>

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

// The same walk as Plug::setChunk, applying nothing.
bool readable(const void* data, std::size_t size, const char* ownName)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (!bytes || size < headerSize)
        return false;
    const std::uint32_t head = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t(bytes[3]) << 24);
    const auto storedVersion = static_cast<std::int16_t>(bytes[4] | (bytes[5] << 8));
    if (head != magic || storedVersion > version || (bytes[6] | bytes[7]) != 0)
        return false;
    for (std::size_t at = headerSize; at < size;) {
        const auto kind = static_cast<Kind>(bytes[at]);
        if (kind > Kind::pluginName || size - at - 1 < bodySize(kind))
            return false;
        if (kind == Kind::pluginName &&
            std::strncmp(reinterpret_cast<const char*>(bytes + at + 1), ownName, nameBytes) != 0)
            return false;
        at += 1 + bodySize(kind);
    }
    return true;
}

bool readCurrent(const void* data, std::size_t size, const char* ownName, float* values, int count, int& program,
                 int programs, char (*names)[programNameBytes])
{
    if (!readable(data, size, ownName))
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t at = headerSize; at < size; at += 1 + bodySize(static_cast<Kind>(bytes[at]))) {
        const unsigned char* body = bytes + at + 1;
        if (bytes[at] == paramValue && body[0] < count) {
            const float value = decodeValue(static_cast<std::uint16_t>(body[1] | (body[2] << 8)));
            values[body[0]] = value > 1.0f ? 1.0f : value;  // as the effect's table keeps it
        } else if (bytes[at] == currentProgram && body[0] < programs) {
            program = body[0];
        } else if (bytes[at] == programEntry && body[0] < programs && names) {
            std::memcpy(names[body[0]], body + 1, programNameBytes);
            names[body[0]][programNameBytes - 1] = 0;  // as the effect ends it
        }
    }
    return true;
}

void Writer::raw(const char* data, std::size_t count) { bytes.insert(bytes.end(), data, data + count); }

}  // namespace Chunk
}  // namespace PlugCore
