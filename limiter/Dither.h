// The one dither generator of the process, shared by every instance: a 32-bit linear congruential
// sequence. An instance claims the states a block needs in one atomic step, so instances processing on
// different threads draw disjoint stretches and one instance alone sees the plain sequence. Shared
// rather than one per instance so that no instance needs a seed of its own, yet two instances on the
// same material never add the same noise.
#pragma once

#include <cstdint>

namespace Dither {

constexpr std::uint32_t multiplier = 1664525u;
constexpr std::uint32_t increment = 1013904223u;
constexpr double amplitude16 = 1.0 / 32768.0;    // 2^-15
constexpr double amplitude24 = 1.0 / 8388608.0;  // 2^-23
constexpr double unit = 1.0 / 2147483648.0;      // 2^-31

// Four, eight, sixteen and 32 advances at once: a frame draws four states, so interleaved sequences stepping by
// four (or eight, sixteen and 32: two, four and eight frames at a time) give the same numbers without one long chain of
// multiplications.
constexpr std::uint32_t multiplier4 = multiplier * multiplier * multiplier * multiplier;
constexpr std::uint32_t increment4 =
    increment * (1u + multiplier + multiplier * multiplier + multiplier * multiplier * multiplier);
constexpr std::uint32_t multiplier8 = multiplier4 * multiplier4;
constexpr std::uint32_t increment8 = increment4 * (multiplier4 + 1u);
constexpr std::uint32_t multiplier16 = multiplier8 * multiplier8;
constexpr std::uint32_t increment16 = increment8 * (multiplier8 + 1u);
constexpr std::uint32_t multiplier32 = multiplier16 * multiplier16;
constexpr std::uint32_t increment32 = increment16 * (multiplier16 + 1u);

inline std::uint32_t next(std::uint32_t& state)
{
    state = state * multiplier + increment;
    return state;
}

// The state reached from `state` after `steps` advances.
std::uint32_t jump(std::uint32_t state, std::uint32_t steps);

// Advances the shared state by `steps` and returns the state before them.
std::uint32_t claim(std::uint32_t steps);

// Restarts the shared sequence from a given state (for reproducible tests).
void restart(std::uint32_t state);

}  // namespace Dither
