// The device-context side of the canvas: bitmaps in, composited pictures out.
#include <cstring>
#include <vector>

#include "pixa/Canvas.h"

namespace Pixa {

namespace {

BITMAPINFO bottomUpHeader(LONG width, LONG height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: rows come bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

Canvas::~Canvas()
{
    if (deviceContext) {
        SelectObject(deviceContext, previousBitmap);
        DeleteObject(surfaceBitmap);
        DeleteDC(deviceContext);
    }
}

std::unique_ptr<Canvas> Canvas::fromBitmap(HBITMAP color, HBITMAP mask)
{
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAP description{};
    GetObjectA(color, sizeof description, &description);
    const auto width = static_cast<std::uint32_t>(description.bmWidth > 0 ? description.bmWidth : 0);
    const auto height = static_cast<std::uint32_t>(description.bmHeight > 0 ? description.bmHeight : 0);
    BITMAPINFO info = bottomUpHeader(static_cast<LONG>(width), static_cast<LONG>(height));

    std::unique_ptr<Canvas> canvas;
    try {
        canvas.reset(new Canvas(width, height));
        Color* pixels = canvas->pixels.get();
        const std::size_t count = static_cast<std::size_t>(width) * height;
        GetDIBits(dc, color, 0, height, pixels, &info, DIB_RGB_COLORS);
        if (mask) {
            std::vector<std::uint32_t> alpha(count);
            GetDIBits(dc, mask, 0, height, alpha.data(), &info, DIB_RGB_COLORS);
            for (std::size_t i = 0; i < count; ++i)
                pixels[i] = (alpha[i] << 24) | (pixels[i] & 0x00FFFFFFu);
        } else {
            for (std::size_t i = 0; i < count; ++i)
                pixels[i] |= 0xFF000000u;
        }
    } catch (...) {
        DeleteDC(dc);
        throw;
    }
    // Bottom-up rows to top row first.
    for (std::uint32_t j = 0; j < canvas->height / 2; ++j)
        std::swap_ranges(canvas->row(j), canvas->row(j) + canvas->width, canvas->row(canvas->height - 1 - j));
    DeleteDC(dc);
    return canvas;
}

void Canvas::blit(HDC target)
{
    const auto w = static_cast<int>(width), h = static_cast<int>(height);
    if (!deviceContext) {
        deviceContext = CreateCompatibleDC(target);
        BITMAPINFO info = bottomUpHeader(w, h);
        void* bits = nullptr;
        surfaceBitmap = CreateDIBSection(deviceContext, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        surfaceBits = static_cast<std::uint32_t*>(bits);
        previousBitmap = SelectObject(deviceContext, surfaceBitmap);
    }
    BitBlt(deviceContext, 0, 0, w, h, target, 0, 0, SRCCOPY);
    GdiFlush();
    if (surfaceBits) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const Color* line = row(y);
            std::uint32_t* surface = surfaceBits + static_cast<std::size_t>(height - 1 - y) * width;
            for (std::uint32_t x = 0; x < width; ++x)
                if (line[x])
                    surface[x] = blendOver(line[x], surface[x]);
        }
    }
    GdiFlush();
    BitBlt(target, 0, 0, w, h, deviceContext, 0, 0, SRCCOPY);
}

}  // namespace Pixa
