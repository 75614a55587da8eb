// Packed premultiplied colours: alpha in bits 24..31, then red, green, blue (a 32-bit DIB's byte order
// in memory). 0 is empty and skipped everywhere; alpha 0 with colour adds light.
#pragma once

#include <cstdint>

namespace Pixa {

using Color = std::uint32_t;

inline std::uint8_t alphaOf(Color c) { return static_cast<std::uint8_t>(c >> 24); }

// Each channel times a / 255, rounded to nearest; two channels per multiply.
inline Color scaleColor(Color c, std::uint8_t a)
{
    if (a == 0)
        return 0;
    if (a == 255)
        return c;
    std::uint32_t rb = (c & 0x00FF00FFu) * a + 0x00800080u;
    std::uint32_t ag = ((c >> 8) & 0x00FF00FFu) * a + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

// Per-channel sum, saturating at 255.
inline Color addColors(Color p, Color q)
{
    if (p == 0)
        return q;
    if (q == 0)
        return p;
    std::uint32_t rb = (p & 0x00FF00FFu) + (q & 0x00FF00FFu);
    std::uint32_t ag = ((p >> 8) & 0x00FF00FFu) + ((q >> 8) & 0x00FF00FFu);
    rb |= ((rb >> 8) & 0x00010001u) * 0xFF;
    ag |= ((ag >> 8) & 0x00010001u) * 0xFF;
    return (rb & 0x00FF00FFu) | ((ag & 0x00FF00FFu) << 8);
}

// Premultiplied source-over.
inline Color blendOver(Color s, Color d)
{
    if (d == 0)
        return s;
    return addColors(s, scaleColor(d, static_cast<std::uint8_t>(255 - alphaOf(s))));
}

// 0x00RRGGBB from hue, saturation and value in 0..1 (the hue wraps).
Color hsvToRgb(float h, float s, float v);

}  // namespace Pixa
