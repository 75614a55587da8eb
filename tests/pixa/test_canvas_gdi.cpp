// The canvas against real GDI (under Wine here): bitmaps in with and without a mask, blits over a
// device context.
#include <gtest/gtest.h>

#include <windows.h>

#include "pixa/Canvas.h"

using namespace Pixa;

namespace {

// A 32-bit bottom-up DIB section selected into a memory device context; bits()[0] is the bottom-left.
struct DibTarget {
    DibTarget(int w, int h) : width(w), height(h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&words), nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~DibTarget()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // Top-row-first coordinates; only red, green and blue are compared.
    std::uint32_t& at(int x, int y) { return words[(height - 1 - y) * width + x]; }
    std::uint32_t rgb(int x, int y)
    {
        GdiFlush();
        return at(x, y) & 0x00FFFFFFu;
    }
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    std::uint32_t* words = nullptr;
};

}  // namespace

TEST(PixaCanvasGdi, FromBitmapWithoutAndWithMask)
{
    DibTarget color(2, 2), mask(2, 2);
    color.at(0, 0) = 0x00102030u;  // top left
    color.at(1, 1) = 0x00405060u;  // bottom right
    mask.at(0, 0) = 0x00808080u;
    mask.at(1, 1) = 0x00FFFFFFu;
    SelectObject(color.dc, color.previous);  // a bitmap selected elsewhere cannot be read
    SelectObject(mask.dc, mask.previous);

    const auto opaque = Canvas::fromBitmap(color.bitmap, nullptr);
    ASSERT_EQ(opaque->getWidth(), 2u);
    EXPECT_EQ(opaque->colorAt(0, 0), 0xFF102030u);  // top row first
    EXPECT_EQ(opaque->colorAt(1, 1), 0xFF405060u);
    EXPECT_EQ(opaque->colorAt(1, 0), 0xFF000000u);

    const auto masked = Canvas::fromBitmap(color.bitmap, mask.bitmap);
    EXPECT_EQ(masked->colorAt(0, 0), 0x80102030u);  // alpha from the mask, colour unchanged
    EXPECT_EQ(masked->colorAt(1, 1), 0xFF405060u);
    EXPECT_EQ(masked->colorAt(0, 1), 0x00000000u);
    color.previous = SelectObject(color.dc, color.bitmap);
    mask.previous = SelectObject(mask.dc, mask.bitmap);
}

TEST(PixaCanvasGdi, BlitCompositesOverTheTargetAndReusesItsSurface)
{
    DibTarget target(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            target.at(x, y) = 0x00F0F0F0u;
    Canvas c(3, 2);
    c.row(0)[1] = 0xFF112233u;  // opaque: replaces
    c.row(0)[2] = 0x00202020u;  // additive: saturates
    c.row(1)[0] = 0x80000000u;  // half black: halves
    c.blit(target.dc);
    EXPECT_EQ(target.rgb(0, 0), 0x00F0F0F0u);  // transparent: unchanged
    EXPECT_EQ(target.rgb(1, 0), 0x00112233u);
    EXPECT_EQ(target.rgb(2, 0), 0x00FFFFFFu);
    EXPECT_EQ(target.rgb(0, 1), 0x00787878u);
    EXPECT_EQ(target.rgb(3, 0), 0x00F0F0F0u);  // beyond the canvas

    // A second target of another size: the same surface serves it.
    DibTarget other(3, 2);
    c.blit(other.dc);
    EXPECT_EQ(other.rgb(1, 0), 0x00112233u);
    EXPECT_EQ(other.rgb(0, 0), 0x00000000u);
}
