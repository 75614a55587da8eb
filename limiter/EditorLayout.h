#pragma once

#include <cstdint>

// How the effect describes its editor to the editor framework.
struct EditorLayout {
    std::int32_t width;
    std::int32_t height;
    std::int32_t controlCount;
    std::int32_t backgroundId;
    std::int32_t meterBytes;
    std::int32_t accentColour;  // COLORREF, 0x00BBGGRR
};
