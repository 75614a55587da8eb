#include "pixa/Canvas.h"

#include <algorithm>
#include <new>

namespace Pixa {

namespace {

std::unique_ptr<Color[]> allocatePixels(std::uint32_t width, std::uint32_t height)
{
    const std::uint64_t bytes = static_cast<std::uint64_t>(width) * height * sizeof(Color);
    if (bytes > UINT32_MAX)
        throw std::bad_alloc();
    return std::unique_ptr<Color[]>(new Color[static_cast<std::size_t>(width) * height]());
}

}  // namespace

Canvas::Canvas(std::uint32_t width, std::uint32_t height)
    : width(width), height(height), pixels(allocatePixels(width, height))
{
}

#if !defined(_WIN32)
Canvas::~Canvas() = default;
#endif

void Canvas::clear() { std::fill_n(pixels.get(), static_cast<std::size_t>(width) * height, 0u); }

void Canvas::clearRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    const auto w = static_cast<std::int32_t>(width), h = static_cast<std::int32_t>(height);
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, w), y1 = std::min(y1, h);
    for (std::int32_t y = y0; y < y1; ++y)
        if (x0 < x1)
            std::fill(row(static_cast<std::uint32_t>(y)) + x0, row(static_cast<std::uint32_t>(y)) + x1, 0u);
}

void Canvas::fillPaint(const Paint& paint)
{
    // A vertical gradient is one colour per row.
    const auto* gradient = dynamic_cast<const GradientPaint*>(&paint);
    if (gradient && gradient->directionX == 0.0f) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const Color s = gradient->colorAt(0, static_cast<std::int32_t>(y));
            Color* line = row(y);
            if (s)
                for (std::uint32_t x = 0; x < width; ++x)
                    line[x] = blendOver(s, line[x]);
        }
        return;
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        Color* line = row(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            const Color s = paint.colorAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
            if (s)
                line[x] = blendOver(s, line[x]);
        }
    }
}

void Canvas::fillSquare40(const Paint& paint, std::int32_t top)
{
    // The caller keeps top inside the canvas; a stray one, or a narrow canvas, gets no write outside.
    if (top < 0 || top >= static_cast<std::int32_t>(height))
        return;
    const std::int32_t n = std::min<std::int32_t>(40, static_cast<std::int32_t>(height) - top);
    const std::int32_t columns = std::min<std::int32_t>(n, static_cast<std::int32_t>(width) - 20);
    for (std::int32_t i = 0; i < n; ++i) {
        Color* line = row(static_cast<std::uint32_t>(top + i)) + 20;
        for (std::int32_t j = 0; j < columns; ++j) {
            const Color s = paint.colorAt(j, i);
            if (s)
                line[j] = blendOver(s, line[j]);
        }
    }
}

void Canvas::fillSquare(const Paint& paint, std::int32_t left, std::int32_t top, std::int32_t size)
{
    const std::int32_t x0 = std::max<std::int32_t>(left, 0), y0 = std::max<std::int32_t>(top, 0);
    const std::int32_t x1 = std::min<std::int32_t>(left + size, static_cast<std::int32_t>(width));
    const std::int32_t y1 = std::min<std::int32_t>(top + size, static_cast<std::int32_t>(height));
    for (std::int32_t y = y0; y < y1; ++y) {
        Color* line = row(static_cast<std::uint32_t>(y));
        for (std::int32_t x = x0; x < x1; ++x) {
            const Color s = paint.colorAt(x - left, y - top);
            if (s)
                line[x] = blendOver(s, line[x]);
        }
    }
}

}  // namespace Pixa
