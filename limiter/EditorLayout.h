#pragma once

#include <cstdint>

#include "limiter/LimiterParams.h"
#include "limiter/MeterBlock.h"

// How the effect describes its editor to the editor framework.
struct EditorLayout {
    std::int32_t width;
    std::int32_t height;
    std::int32_t controlCount;
    std::int32_t backgroundId;
    std::int32_t meterBytes;
    std::int32_t accentColour;  // COLORREF, 0x00BBGGRR
};

// The limiter's editor: 160 by 260 pixels, a control slot per parameter, background bitmap 101. Known
// without an effect, for a user interface that has none (LV2's).
inline constexpr EditorLayout limiterEditorLayout{160, 260, LimiterParams::count, 101,
                                                  static_cast<std::int32_t>(sizeof(MeterBlock)), 0x6BADD3};
