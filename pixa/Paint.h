// Paints: colour sources asked once per drawn pixel. Composite paints refer to others without owning
// them and are built on the stack for one drawing call.
#pragma once

#include <cstdint>

#include "pixa/Color.h"

namespace Pixa {

class Paint {
public:
    virtual ~Paint() = default;
    virtual Color colorAt(std::int32_t x, std::int32_t y) const = 0;
};

class SolidPaint : public Paint {
public:
    explicit SolidPaint(Color color) : color(color) {}
    Color colorAt(std::int32_t, std::int32_t) const override { return color; }

    Color color;
};

// Linear: t = ((x, y) - origin) . direction * scale, 0..255 between the two colours, clamped beyond.
// A gradient along one axis answers a whole row (or column) alike; it remembers the last answer, so a
// paint object belongs to one drawing thread and keeps its fields once it has been asked (paints are
// built on the stack for one drawing call).
class GradientPaint : public Paint {
public:
    GradientPaint(float originX, float originY, float directionX, float directionY, Color startColor, Color endColor,
                  float scale)
        : originX(originX), originY(originY), directionX(directionX), directionY(directionY), startColor(startColor),
          endColor(endColor), scale(scale)
    {
    }
    // From a start point to an end point: t runs 0..255 along the way.
    static GradientPaint between(float x0, float y0, float x1, float y1, Color startColor, Color endColor);
    Color colorAt(std::int32_t x, std::int32_t y) const override;

    float originX, originY, directionX, directionY;
    Color startColor, endColor;
    float scale;

private:
    Color compute(std::int32_t x, std::int32_t y) const;
    mutable bool remembered = false;
    mutable std::int32_t rememberedAt = 0;
    mutable Color rememberedColor = 0;
};

// Cross-fade: mix 0 gives the first paint, 255 the second.
class AlphaPaint : public Paint {
public:
    AlphaPaint(const Paint& first, const Paint& second, std::uint8_t mix) : first(first), second(second), mix(mix) {}
    Color colorAt(std::int32_t x, std::int32_t y) const override;

    const Paint& first;
    const Paint& second;
    std::uint8_t mix;
};

// The source seen through a shifted window: a frame of a film strip, for instance.
class OffsetPaint : public Paint {
public:
    OffsetPaint(const Paint& source, std::int32_t dx, std::int32_t dy) : source(source), dx(dx), dy(dy) {}
    Color colorAt(std::int32_t x, std::int32_t y) const override { return source.colorAt(x + dx, y + dy); }

    const Paint& source;
    std::int32_t dx, dy;
};

}  // namespace Pixa
