// The chunk: an 8-byte header, then tagged records that replay the state through the ordinary
// operations. Little-endian, no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace PlugCore {
namespace Chunk {

constexpr std::uint32_t magic = 0x288C3D75u;
constexpr std::int16_t version = 5;
constexpr std::size_t headerSize = 8;
constexpr std::size_t nameBytes = 31;
constexpr std::size_t programNameBytes = 24;

enum Kind : std::uint8_t { paramValue = 0, midiBinding = 1, programEntry = 2, currentProgram = 3, pluginName = 4 };

// The bytes after the kind byte, per kind.
constexpr std::size_t bodySize(Kind kind)
{
    switch (kind) {
    case paramValue:
    case midiBinding:
        return 3;
    case programEntry:
        return 1 + programNameBytes;
    case currentProgram:
        return 1;
    case pluginName:
        return nameBytes;
    }
    return 0;
}

// Normalized values travel as v x 64000 truncated; reading multiplies by the single-precision 1/64000.
inline std::uint16_t encodeValue(float v) { return static_cast<std::uint16_t>(static_cast<std::int32_t>(v * 64000.0)); }
inline float decodeValue(std::uint16_t stored) { return static_cast<float>(stored * 1.5625e-05f); }

// Whether Plug::setChunk would take these bytes whole: our header and version (or an earlier one),
// whole records of known kinds, no other plug-in's name. For callers that must refuse a state without
// applying part of it and without the message box.
bool readable(const void* data, std::size_t size, const char* ownName);

// What an effect's current state would be after taking these bytes, read without an effect (for a
// format's controller that has none at hand): each parameter's last value record, as a normalized value
// (`values[i]` kept where there is none, or for i >= count), the current-program record (`program` kept
// where there is none or it names no program below `programs`) and, where `names` is given, each
// program's name from its entry (kept where there is none). False, changing nothing, for bytes the
// effect would refuse (see readable).
bool readCurrent(const void* data, std::size_t size, const char* ownName, float* values, int count, int& program,
                 int programs, char (*names)[programNameBytes] = nullptr);

class Writer {
public:
    void header();
    void byte(std::uint8_t b) { bytes.push_back(b); }
    void u16(std::uint16_t v);
    void raw(const char* data, std::size_t count);
    std::vector<unsigned char> bytes;
};

}  // namespace Chunk
}  // namespace PlugCore
