#include "lv2/BindingsBlob.h"

#include "plugcore/MidiKeys.h"

namespace BindingsBlob {

namespace {

void put16(std::vector<unsigned char>& out, std::uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

std::uint32_t get16(const unsigned char* p) { return p[0] | (static_cast<std::uint32_t>(p[1]) << 8); }

bool validKey(std::int32_t key)
{
    using namespace PlugCore;
    return key == -1 ||
           (key == signExtendKey(controllerKey(key & 0x7F)) && controllerRole(key & 0x7F) == ControllerRole::learnable);
}

}  // namespace

std::vector<unsigned char> write(const Keys& keys)
{
    std::vector<unsigned char> out;
    out.reserve(byteSize);
    put16(out, magic & 0xFFFF);
    put16(out, magic >> 16);
    put16(out, version);
    put16(out, LimiterParams::count);
    for (std::int32_t key : keys)
        put16(out, static_cast<std::uint32_t>(key) & 0xFFFF);
    return out;
}

bool read(const void* data, std::size_t size, Keys& keys)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (!bytes || size != byteSize)
        return false;
    if ((get16(bytes) | (get16(bytes + 2) << 16)) != magic || get16(bytes + 4) != version ||
        get16(bytes + 6) != LimiterParams::count)
        return false;
    Keys read{};
    for (int i = 0; i < LimiterParams::count; ++i) {
        const std::int32_t key = PlugCore::signExtendKey(static_cast<std::int32_t>(get16(bytes + 8 + 2 * i)));
        if (!validKey(key))
            return false;
        for (int j = 0; j < i; ++j)
            if (key != -1 && read[j] == key)
                return false;  // one controller drives one parameter

        read[i] = key;
    }
    for (int i = 0; i < LimiterParams::count; ++i)
        keys[i] = read[i];
    return true;
}

}  // namespace BindingsBlob
