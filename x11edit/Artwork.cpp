#include "x11edit/Artwork.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The bitmap files as assembled into the library (x11edit/EmbedFile.cmake).
extern "C" {
extern const unsigned char tarn_background_bmp[], tarn_knob_strip_bmp[], tarn_knob_strip_mask_bmp[];
extern const unsigned char tarn_background_2x_bmp[], tarn_knob_strip_2x_bmp[], tarn_knob_strip_mask_2x_bmp[];
extern const std::uint32_t tarn_background_bmp_size, tarn_knob_strip_bmp_size, tarn_knob_strip_mask_bmp_size;
extern const std::uint32_t tarn_background_2x_bmp_size, tarn_knob_strip_2x_bmp_size, tarn_knob_strip_mask_2x_bmp_size;
}

namespace X11Edit {

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

std::unique_ptr<Pixa::Canvas> decodeStrip(const Bmp& color, const Bmp& mask)
{
    return decode(color, mask.width == color.width && mask.height == color.height ? &mask : nullptr);
}

}  // namespace

const Pixa::Canvas& backgroundCanvas(int scale)
{
    if (scale >= 2) {
        static const std::unique_ptr<Pixa::Canvas> background2x =
            decode(Bmp(tarn_background_2x_bmp, tarn_background_2x_bmp_size), nullptr);
        return *background2x;
    }
    static const std::unique_ptr<Pixa::Canvas> background =
        decode(Bmp(tarn_background_bmp, tarn_background_bmp_size), nullptr);
    return *background;
}

const Pixa::Canvas& knobStripCanvas(int scale)
{
    if (scale >= 2) {
        static const std::unique_ptr<Pixa::Canvas> strip2x =
            decodeStrip(Bmp(tarn_knob_strip_2x_bmp, tarn_knob_strip_2x_bmp_size),
                        Bmp(tarn_knob_strip_mask_2x_bmp, tarn_knob_strip_mask_2x_bmp_size));
        return *strip2x;
    }
    static const std::unique_ptr<Pixa::Canvas> strip =
        decodeStrip(Bmp(tarn_knob_strip_bmp, tarn_knob_strip_bmp_size),
                    Bmp(tarn_knob_strip_mask_bmp, tarn_knob_strip_mask_bmp_size));
    return *strip;
}

}  // namespace X11Edit
