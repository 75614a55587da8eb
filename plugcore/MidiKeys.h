// MIDI binding keys: 0xB000 (control change) OR the controller number, held sign-extended.
#pragma once

#include <cstdint>

namespace PlugCore {

constexpr std::int32_t controllerKey(int controller) { return 0xB000 | controller; }

// The 16-bit key as stored in a parameter: bit 15 fills the upper half, so 0xFFFF is -1 (unbound).
constexpr std::int32_t signExtendKey(std::int32_t key16) { return static_cast<std::int16_t>(key16 & 0xFFFF); }

enum class ControllerRole { ignored, allSoundOff, allNotesOff, learnable };

// Bank select, data entry, the fine-resolution partners, (N)RPN and increment controllers, Reset All
// Controllers and Local Control are never learned; 120 resets the signal; 123 to 127 end all notes.
constexpr ControllerRole controllerRole(int cc)
{
    if (cc == 120)
        return ControllerRole::allSoundOff;
    if (cc >= 123 && cc <= 127)
        return ControllerRole::allNotesOff;
    if ((cc >= 1 && cc <= 5) || (cc >= 7 && cc <= 31) || (cc >= 64 && cc <= 95) || (cc >= 102 && cc <= 119))
        return ControllerRole::learnable;
    return ControllerRole::ignored;
}

}  // namespace PlugCore
