// The whole state as a chunk for the host: written as records, read back by replaying them through the
// ordinary parameter, binding and program operations.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Platform.h"
#include "plugcore/ChunkFormat.h"
#include "plugcore/MidiKeys.h"
#include "plugcore/Plug.h"

namespace PlugCore {

namespace {

std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

const char* const laterVersion = "Program or bank was saved with a later version.\nPlease update the plugin and try again.";
const char* const corrupted = "Chunk appears corrupted.";
const char* const foreignPlugin = "Chunk was saved by another plugin.";

}  // namespace

std::vector<unsigned char> Plug::writeChunk(bool isPreset)
{
    Chunk::Writer w;
    w.header();
    char padded[Chunk::nameBytes] = {};
    std::memcpy(padded, name, strnlen(name, Chunk::nameBytes));
    w.byte(Chunk::pluginName);
    w.raw(padded, Chunk::nameBytes);

    auto value = [&](unsigned index, float v) {
        w.byte(Chunk::paramValue);
        w.byte(static_cast<std::uint8_t>(index));
        w.u16(Chunk::encodeValue(v));
    };
    if (!isPreset) {
        for (VstInt32 p = 0; p < programCount; ++p) {
            for (unsigned i = 0; i < params.size(); ++i)
                value(i, programs[p].values[i]);
            w.byte(Chunk::programEntry);
            w.byte(static_cast<std::uint8_t>(p));
            w.raw(programs[p].name, Chunk::programNameBytes);
        }
        w.byte(Chunk::currentProgram);
        w.byte(static_cast<std::uint8_t>(curProgram));
    }
    for (unsigned i = 0; i < params.size(); ++i)
        value(i, params.get(static_cast<int>(i)));
    for (unsigned i = 0; i < params.size(); ++i) {
        w.byte(Chunk::midiBinding);
        w.byte(static_cast<std::uint8_t>(i));
        w.u16(static_cast<std::uint16_t>(params[static_cast<int>(i)].midiKey.load(std::memory_order_relaxed) & 0xFFFF));
    }
    return std::move(w.bytes);
}

VstInt32 Plug::getChunk(void** data, bool isPreset)
{
    chunkText = writeChunk(isPreset);
    *data = chunkText.data();
    return static_cast<VstInt32>(chunkText.size());
}

void Plug::showChunkError(const char* message)
{
    const std::string caption = std::string(name) + " error";
    const std::string text = std::string("Error loading chunk: ") + message;
    Platform::showMessageBox(text.c_str(), caption.c_str(), Platform::MessageStyle::taskModalError);
}

VstInt32 Plug::setChunk(void* data, VstInt32 byteSize, bool /*isPreset*/)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t size = (bytes && byteSize > 0) ? static_cast<std::size_t>(byteSize) : 0;
    if (size < Chunk::headerSize) {
        showChunkError("No header");
        return 0;
    }
    if ((bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t(bytes[3]) << 24)) != Chunk::magic) {
        showChunkError("Invalid header");
        return 0;
    }
    if (static_cast<std::int16_t>(le16(bytes + 4)) > Chunk::version || le16(bytes + 6) != 0) {
        showChunkError(laterVersion);
        return 0;
    }
    for (std::size_t at = Chunk::headerSize; at < size;) {
        const auto kind = static_cast<Chunk::Kind>(bytes[at]);
        const std::size_t rest = size - at - 1;
        if (kind > Chunk::pluginName || rest < Chunk::bodySize(kind)) {
            showChunkError(corrupted);
            return 0;
        }
        const unsigned char* body = bytes + at + 1;
        switch (kind) {
        case Chunk::paramValue:
            // A value for a parameter this effect does not have is not sent on to the host.
            if (params.contains(body[0]))
                setParameterAutomated(body[0], Chunk::decodeValue(le16(body + 1)));
            break;
        case Chunk::midiBinding:
            if (params.contains(body[0]))
                params.bindKey(body[0], signExtendKey(le16(body + 1)));
            break;
        case Chunk::programEntry:
            if (body[0] < programCount) {
                std::memcpy(programs[body[0]].name, body + 1, Chunk::programNameBytes);
                programs[body[0]].name[Chunk::programNameBytes - 1] = 0;
                storeProgram(body[0]);
            }
            break;
        case Chunk::currentProgram:
            if (body[0] < programCount)
                curProgram = body[0];
            break;
        case Chunk::pluginName:
            if (std::strncmp(reinterpret_cast<const char*>(body), name, Chunk::nameBytes) != 0) {
                showChunkError(foreignPlugin);
                return 0;
            }
            break;
        }
        at += 1 + Chunk::bodySize(kind);
    }
    return 0;
}

}  // namespace PlugCore
