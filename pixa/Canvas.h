// An off-screen picture of premultiplied colours, top row first, that is itself a paint. On Windows it
// composites over a device context through a DIB-section surface made at the first blit and kept.
#pragma once

#include <cstdint>
#include <memory>

#include "pixa/Paint.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Pixa {

class Canvas : public Paint {
public:
    // All pixels transparent. A size whose byte count does not fit in 32 bits throws std::bad_alloc.
    Canvas(std::uint32_t width, std::uint32_t height);
    ~Canvas() override;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // 0 outside the picture; negative coordinates are outside.
    Color colorAt(std::int32_t x, std::int32_t y) const override
    {
        const auto ux = static_cast<std::uint32_t>(x), uy = static_cast<std::uint32_t>(y);
        return ux < width && uy < height ? pixels[static_cast<std::size_t>(uy) * width + ux] : 0;
    }

    // Composites the paint over every pixel.
    void fillPaint(const Paint& paint);
    // Composites the paint, in its own coordinates, over the square at column 20, row top (at most 40
    // by 40, cut at the bottom edge and by as much on the right).
    void fillSquare40(const Paint& paint, std::int32_t top);
    // Composites the paint, in its own coordinates, over the size by size square at (left, top), cut to
    // the canvas.
    void fillSquare(const Paint& paint, std::int32_t left, std::int32_t top, std::int32_t size);
    // Every pixel transparent again; or only those of a rectangle (x0..x1-1, y0..y1-1, cut to the canvas).
    void clear();
    void clearRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1);

    std::uint32_t getWidth() const { return width; }
    std::uint32_t getHeight() const { return height; }
    Color* row(std::uint32_t y) { return pixels.get() + static_cast<std::size_t>(y) * width; }
    const Color* row(std::uint32_t y) const { return pixels.get() + static_cast<std::size_t>(y) * width; }

#if defined(_WIN32)
    // A canvas from a bitmap; the mask's blue channel becomes the alpha, the colour being stored
    // premultiplied already. Without a mask the picture is opaque.
    static std::unique_ptr<Canvas> fromBitmap(HBITMAP color, HBITMAP mask);
    // Composites the canvas over what the target shows at its top-left corner.
    void blit(HDC target);
#endif

private:
#if defined(_WIN32)
    HDC deviceContext = nullptr;
    HBITMAP surfaceBitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    std::uint32_t* surfaceBits = nullptr;
#endif
    std::uint32_t width;
    std::uint32_t height;
    std::unique_ptr<Color[]> pixels;
};

}  // namespace Pixa
