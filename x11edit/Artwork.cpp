#include "x11edit/Artwork.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace X11Edit {

extern const unsigned char backgroundBmp[], knobStripBmp[], knobStripMaskBmp[];
extern const std::size_t backgroundBmp_size, knobStripBmp_size, knobStripMaskBmp_size;

namespace {

std::uint32_t word(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }

// The pixel at (x, y), top row first, of an uncompressed 24-bit bottom-up BMP, as 0x00RRGGBB.
struct Bmp {
    const unsigned char* bits;
    std::uint32_t width, height, stride;

    Bmp(const unsigned char* file, std::size_t size)
        : bits(file + word(file + 10)), width(word(file + 18)), height(word(file + 22)), stride((width * 3 + 3) & ~3u)
    {
        if (size < 54 || file[0] != 'B' || file[1] != 'M' || file[28] != 24 ||
            word(file + 10) + std::size_t{stride} * height > size)
            width = height = 0;
    }
    std::uint32_t at(std::uint32_t x, std::uint32_t y) const
    {
        const unsigned char* p = bits + std::size_t{height - 1 - y} * stride + x * 3;
        return static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
    }
};

std::unique_ptr<Pixa::Canvas> decode(const Bmp& color, const Bmp* mask)
{
    auto canvas = std::make_unique<Pixa::Canvas>(color.width, color.height);
    for (std::uint32_t y = 0; y < color.height; ++y) {
        Pixa::Color* line = canvas->row(y);
        for (std::uint32_t x = 0; x < color.width; ++x)
            line[x] = color.at(x, y) | (mask ? (mask->at(x, y) & 0xFFu) << 24 : 0xFF000000u);
    }
    return canvas;
}

}  // namespace

const Pixa::Canvas& backgroundCanvas()
{
    static const std::unique_ptr<Pixa::Canvas> background = decode(Bmp(backgroundBmp, backgroundBmp_size), nullptr);
    return *background;
}

const Pixa::Canvas& knobStripCanvas()
{
    static const std::unique_ptr<Pixa::Canvas> strip = [] {
        const Bmp color(knobStripBmp, knobStripBmp_size), mask(knobStripMaskBmp, knobStripMaskBmp_size);
        return decode(color, mask.width == color.width && mask.height == color.height ? &mask : nullptr);
    }();
    return *strip;
}

}  // namespace X11Edit
