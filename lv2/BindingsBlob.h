// What the LV2 state keeps beside the port values: the MIDI controller bindings, as a small versioned
// record ("TrnB", version, count, one 16-bit key per parameter, little-endian). Read whole and checked
// before anything is applied, so a bad or foreign record changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "limiter/LimiterParams.h"

namespace BindingsBlob {

constexpr std::uint32_t magic = 0x426E7254;  // "TrnB"
constexpr std::uint16_t version = 1;
constexpr std::size_t byteSize = 8 + 2 * LimiterParams::count;

using Keys = std::int32_t[LimiterParams::count];

std::vector<unsigned char> write(const Keys& keys);

// False, leaving keys untouched, for anything but a whole record of this version whose keys are all
// unbound (-1) or a learnable controller.
bool read(const void* data, std::size_t size, Keys& keys);

}  // namespace BindingsBlob
