#include "pixa/Color.h"

#include <cmath>

namespace Pixa {

Color hsvToRgb(float h, float s, float v)
{
    if (h < 0.0f)
        h = 1.0f - std::fmod(-h, 1.0f);
    if (h > 1.0f)
        h = std::fmod(h, 1.0f);
    float h6 = h * 6.0f;
    if (h6 == 6.0f)
        h6 = 0.0f;
    const int i = static_cast<int>(std::floor(h6));
    const float f = h6 - static_cast<float>(i);
    const float p = (1.0f - s) * v;
    const float q = (1.0f - f * s) * v;
    const float t = (1.0f - (1.0f - f) * s) * v;
    float r, g, b;
    switch (i) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
    }
    auto channel = [](float x) { return static_cast<Color>(static_cast<std::int32_t>(x * 255.0f)) & 0xFFu; };
    return channel(r) << 16 | channel(g) << 8 | channel(b);
}

}  // namespace Pixa
