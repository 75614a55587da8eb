#include "pixa/Paint.h"

namespace Pixa {

GradientPaint GradientPaint::between(float x0, float y0, float x1, float y1, Color startColor, Color endColor)
{
    const float dx = x1 - x0, dy = y1 - y0;
    const float lengthSquared = dx * dx + dy * dy;
    return GradientPaint(x0, y0, dx, dy, startColor, endColor, lengthSquared > 0.0f ? 255.0f / lengthSquared : 0.0f);
}

Color GradientPaint::colorAt(std::int32_t x, std::int32_t y) const
{
    // With one direction component 0 that coordinate drops out of the product exactly.
    const bool alongY = directionX == 0.0f, alongX = directionY == 0.0f && !alongY;
    if (!alongX && !alongY)
        return compute(x, y);
    const std::int32_t at = alongY ? y : x;
    if (!remembered || at != rememberedAt) {
        rememberedColor = compute(x, y);
        rememberedAt = at;
        remembered = true;
    }
    return rememberedColor;
}

Color GradientPaint::compute(std::int32_t x, std::int32_t y) const
{
    // Wider than the float fields, from the integer coordinates: exact for any canvas-sized
    // coordinate, alike on every target, and far cheaper than the x87's long double.
    const double u = ((static_cast<double>(x) - originX) * directionX + (static_cast<double>(y) - originY) * directionY) *
                     static_cast<double>(scale);
    if (u < 0.0)
        return startColor;
    if (u >= 256.0)
        return endColor;
    const auto t = static_cast<std::uint8_t>(static_cast<int>(u));
    return addColors(scaleColor(startColor, static_cast<std::uint8_t>(255 - t)), scaleColor(endColor, t));
}

Color AlphaPaint::colorAt(std::int32_t x, std::int32_t y) const
{
    const Color b = second.colorAt(x, y);
    const Color a = first.colorAt(x, y);
    return addColors(scaleColor(a, static_cast<std::uint8_t>(255 - mix)), scaleColor(b, mix));
}

}  // namespace Pixa
