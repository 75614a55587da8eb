#include "tools/render/PresetFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/render/OutputFile.h"

namespace Render {

namespace {

constexpr std::size_t programNameBytes = 28;
constexpr std::size_t bankReservedBytes = 128;  // the current program, then zeros

constexpr VstInt32 fourCharacters(const char (&t)[5])
{
    return static_cast<VstInt32>((static_cast<unsigned char>(t[0]) << 24) | (static_cast<unsigned char>(t[1]) << 16) |
                                 (static_cast<unsigned char>(t[2]) << 8) | static_cast<unsigned char>(t[3]));
}
constexpr VstInt32 containerMagic = fourCharacters("CcnK");
constexpr VstInt32 programMagic = fourCharacters("FPCh");
constexpr VstInt32 bankMagic = fourCharacters("FBCh");

void putBig(std::vector<unsigned char>& out, VstInt32 v)
{
    const auto u = static_cast<std::uint32_t>(v);
    out.insert(out.end(), {static_cast<unsigned char>(u >> 24), static_cast<unsigned char>(u >> 16),
                           static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u)});
}

VstInt32 getBig(const unsigned char* p)
{
    return static_cast<VstInt32>((std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
                                 std::uint32_t(p[3]));
}

// Fields before the variable part: magic, size, kind, format version, ID, version, count.
constexpr std::size_t fixedFields = 7 * 4;
std::size_t headerBytes(PresetKind kind)
{
    return fixedFields + (kind == PresetKind::program ? programNameBytes : bankReservedBytes) + 4;
}

}  // namespace

std::vector<unsigned char> wrapChunk(PresetKind kind, const PresetHeader& header, const std::vector<unsigned char>& chunk)
{
    std::vector<unsigned char> out;
    putBig(out, containerMagic);
    putBig(out, static_cast<VstInt32>(headerBytes(kind) - 8 + chunk.size()));
    putBig(out, kind == PresetKind::program ? programMagic : bankMagic);
    putBig(out, kind == PresetKind::program ? 1 : 2);
    putBig(out, header.uniqueID);
    putBig(out, header.version);
    putBig(out, header.count);
    if (kind == PresetKind::program) {
        char name[programNameBytes] = {};
        std::memcpy(name, header.programName.data(), std::min(header.programName.size(), programNameBytes - 1));
        out.insert(out.end(), name, name + programNameBytes);
    } else {
        putBig(out, header.currentProgram);
        out.insert(out.end(), bankReservedBytes - 4, 0);
    }
    putBig(out, static_cast<VstInt32>(chunk.size()));
    out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
}

bool unwrapChunk(PresetKind kind, const std::vector<unsigned char>& file, VstInt32 uniqueID,
                 std::vector<unsigned char>& chunk, std::string& error)
{
    const bool program = kind == PresetKind::program;
    const std::size_t head = headerBytes(kind);
    if (file.size() < head || getBig(file.data()) != containerMagic) {
        error = "not a VST preset file";
        return false;
    }
    const VstInt32 magic = getBig(file.data() + 8);
    if (magic != (program ? programMagic : bankMagic)) {
        const bool other = magic == (program ? bankMagic : programMagic);
        error = other ? (program ? "this is a bank file (.fxb), not a program" : "this is a program file (.fxp), not a bank")
                      : "the preset does not hold a chunk (only chunk presets are read)";
        return false;
    }
    if (uniqueID != 0 && getBig(file.data() + 16) != uniqueID) {
        error = "the preset was saved by another plug-in";
        return false;
    }
    const auto size = static_cast<std::uint32_t>(getBig(file.data() + head - 4));
    if (size > file.size() - head) {
        error = "the preset file is truncated";
        return false;
    }
    chunk.assign(file.begin() + static_cast<std::ptrdiff_t>(head), file.begin() + static_cast<std::ptrdiff_t>(head + size));
    return true;
}

bool loadPresetFile(PluginHost::HostedPlugin& host, PresetKind kind, const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<unsigned char> chunk;
    if (!unwrapChunk(kind, file, host.presetIdentity().uniqueID, chunk, error)) {
        error = path + ": " + error;
        return false;
    }
    const bool program = kind == PresetKind::program;
    // What the plug-in holds after loading must be what the file holds, or the render would use other
    // settings than asked.
    if (!host.loadChunk(program, chunk)) {
        error = path + ": the plug-in did not take this " + (program ? "program" : "bank") +
                " whole (what it holds after loading differs from the file)";
        return false;
    }
    return true;
}

bool savePresetFile(PluginHost::HostedPlugin& host, PresetKind kind, const std::string& path, std::string& error)
{
    const bool program = kind == PresetKind::program;
    PresetHeader header;
    header.uniqueID = host.presetIdentity().uniqueID;
    header.version = host.presetIdentity().version;
    header.count = program ? host.parameterCount() : host.programCount();
    header.currentProgram = host.currentProgram();
    header.programName = host.programName();
    const std::vector<unsigned char> chunk = host.saveChunk(program);
    // A format that keeps only the whole bank gives no program: say so rather than write an empty preset.
    if (chunk.empty()) {
        error = std::string("the plug-in gives no ") + (program ? "program" : "bank") + " state in this format; nothing written to " + path;
        return false;
    }
    const std::vector<unsigned char> file = wrapChunk(kind, header, chunk);
    return writeWholeFile(path, file, error);
}

}  // namespace Render
