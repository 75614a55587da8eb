// The editor's texts through GDI, with the fonts and flags of the Windows editor, beside the same texts
// drawn by pixa with the built-in font: writes editor-texts-gdi.png (GDI left, pixa right, three times
// enlarged). Where GDI's "Verdana" is really DejaVu Sans (Wine substitutes it), the two must place
// every text alike: that checks the placement rules against DrawText itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/EditorTextScene.h"
#include "tools/imagefile/ImageFile.h"

namespace {

using EditorTextScene::Ink;

// A top-down 32-bit DIB section in a memory device context.
struct Dib {
    Dib(int w, int h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&words), nullptr, 0);
        previous = SelectObject(dc, bitmap);
        SetBkMode(dc, TRANSPARENT);
    }
    ~Dib()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void fill(COLORREF c)
    {
        HBRUSH brush = CreateSolidBrush(c);
        RECT all{0, 0, static_cast<LONG>(EditorTextScene::width), static_cast<LONG>(EditorTextScene::height)};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        GdiFlush();
    }
    std::uint32_t rgb(int x, int y) const { return words[y * static_cast<int>(EditorTextScene::width) + x] & 0xFFFFFFu; }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    std::uint32_t* words = nullptr;
};

// The editor's fonts as the editor window creates them.
HFONT verdana(int points, int weight, DWORD quality)
{
    return CreateFontA(-MulDiv(points, 96, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_DONTCARE, "Verdana");
}

struct GdiTexts {
    static constexpr int w = static_cast<int>(EditorTextScene::width), h = static_cast<int>(EditorTextScene::height);
    Dib sheet{w, h}, scratch{w, h};
    HFONT small = verdana(7, FW_NORMAL, DEFAULT_QUALITY), bold = verdana(9, FW_BOLD, DEFAULT_QUALITY);
    std::vector<Ink> inks;

    GdiTexts() { sheet.fill(EditorTextScene::ground); }
    ~GdiTexts()
    {
        DeleteObject(small);
        DeleteObject(bold);
    }
    void text(const char* t, const Pixa::PixelRect& r, std::uint32_t format, bool isBold, std::uint32_t colorRef)
    {
        RECT rect{r.left, r.top, r.right, r.bottom};
        for (Dib* target : {&scratch, &sheet}) {
            if (target == &scratch)
                scratch.fill(0);
            HGDIOBJ previous = SelectObject(target->dc, isBold ? bold : small);
            SetTextColor(target->dc, colorRef);
            RECT drawn = rect;
            DrawTextA(target->dc, t, -1, &drawn, format);
            SelectObject(target->dc, previous);
            GdiFlush();
            if (target == &scratch)
                inks.push_back({t, r, EditorTextScene::inkBox(w, h, [this](std::int32_t x, std::int32_t y) {
                                    return scratch.rgb(x, y) != 0;
                                })});
        }
    }
    Pixa::PixelRect measure(const char* t, const Pixa::PixelRect& r, std::uint32_t format, bool isBold)
    {
        HGDIOBJ previous = SelectObject(scratch.dc, isBold ? bold : small);
        RECT m{r.left, r.top, r.right, r.bottom};
        DrawTextA(scratch.dc, t, -1, &m, format | DT_CALCRECT);
        SelectObject(scratch.dc, previous);
        return {m.left, m.top, m.right, m.bottom};
    }
    void setPlain(bool plain)
    {
        const DWORD quality = plain ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
        DeleteObject(small);
        DeleteObject(bold);
        small = verdana(7, FW_NORMAL, quality);
        bold = verdana(9, FW_BOLD, quality);
    }
    std::string face()
    {
        char name[LF_FACESIZE] = {};
        HGDIOBJ previous = SelectObject(scratch.dc, small);
        GetTextFaceA(scratch.dc, sizeof name, name);
        SelectObject(scratch.dc, previous);
        return name;
    }
};

}  // namespace

TEST(EditorTextsGdi, PlacedAsDrawTextPlacesThem)
{
    GdiTexts gdi;
    EditorTextScene::PixaTexts pixa;
    EditorTextScene::draw(gdi);
    EditorTextScene::draw(pixa);

    ImageFile::Picture picture;
    constexpr std::uint32_t factor = 3, w = EditorTextScene::width, h = EditorTextScene::height;
    picture.width = 2 * w * factor;
    picture.height = h * factor;
    for (std::uint32_t y = 0; y < picture.height; ++y)
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const std::uint32_t sx = x / factor % w, sy = y / factor;
            picture.pixels.push_back(x / factor < w ? gdi.sheet.rgb(static_cast<int>(sx), static_cast<int>(sy))
                                                    : pixa.sheet.row(sy)[sx]);
        }
    EXPECT_TRUE(ImageFile::writeFile("editor-texts-gdi.png", ImageFile::encodePng(picture)));

    const std::string face = gdi.face();
    if (face != "DejaVu Sans")
        GTEST_SKIP() << "GDI draws with " << face << ": only the picture is made";
    // Same face: the same widths (DT_CALCRECT) and the same ink boxes, give or take the hinting's pixel.
    ASSERT_EQ(gdi.inks.size(), pixa.inks.size());
    for (std::size_t i = 0; i < gdi.inks.size(); ++i) {
        const Ink &g = gdi.inks[i], &p = pixa.inks[i];
        const bool bold = g.ink.bottom - g.ink.top > 10;
        const std::int32_t gw = gdi.measure(g.text.c_str(), g.rect, Pixa::textSingleLine, bold).right - g.rect.left;
        const std::int32_t pw = pixa.measure(p.text.c_str(), p.rect, Pixa::textSingleLine, bold).right - p.rect.left;
        if (g.text.find('\n') == std::string::npos) {
            EXPECT_EQ(gw, pw) << g.text;
        }
        EXPECT_NEAR(g.ink.left, p.ink.left, 1) << g.text;
        EXPECT_NEAR(g.ink.right, p.ink.right, 1) << g.text;
        EXPECT_NEAR(g.ink.top, p.ink.top, 1) << g.text;
        EXPECT_NEAR(g.ink.bottom, p.ink.bottom, 1) << g.text;
    }
}
