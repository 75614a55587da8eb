// tarn-artwork: draws the editor's bitmaps into a folder (the ones the resource script embeds) and,
// with --sheet, a PNG contact sheet of everything to look at.
#include <algorithm>
#include <cstdio>
#include <string>

#include "tools/artwork/Artwork.h"
#include "tools/imagefile/ImageFile.h"

namespace {

using ImageFile::Picture;

Picture pictureOf(const Pixa::Canvas& canvas, bool alphaOnly = false)
{
    Picture p;
    p.width = canvas.getWidth();
    p.height = canvas.getHeight();
    p.pixels.reserve(static_cast<std::size_t>(p.width) * p.height);
    for (std::uint32_t y = 0; y < p.height; ++y)
        for (std::uint32_t x = 0; x < p.width; ++x) {
            const Pixa::Color c = canvas.row(y)[x];
            const std::uint32_t a = c >> 24;
            p.pixels.push_back(alphaOnly ? (a << 16 | a << 8 | a) : (c & 0x00FFFFFFu));
        }
    return p;
}

// The background at twice its size, then every knob frame at twice its size over the background's
// ground, composited as the editor will.
Picture contactSheet(const Pixa::Canvas& background, const Pixa::Canvas& strip)
{
    constexpr int scale = 2, columns = 11, cell = Artwork::knobFrameSize * scale + 8;
    const int rows = (Artwork::knobFrames + columns - 1) / columns;
    Pixa::Canvas sheet(Artwork::editorWidth * scale + 16 + columns * cell, std::max(Artwork::editorHeight * scale, rows * cell) + 16);
    sheet.fillPaint(Pixa::SolidPaint(0xFF202020u));
    auto put = [&](int x0, int y0, const Pixa::Paint& paint, int w, int h, int sx, int sy) {
        for (int y = 0; y < h * scale; ++y)
            for (int x = 0; x < w * scale; ++x) {
                Pixa::Color& d = sheet.row(static_cast<std::uint32_t>(y0 + y))[x0 + x];
                d = Pixa::blendOver(paint.colorAt(sx + x / scale, sy + y / scale), d);
            }
    };
    put(8, 8, background, Artwork::editorWidth, Artwork::editorHeight, 0, 0);
    for (int k = 0; k < Artwork::knobFrames; ++k) {
        const int x0 = Artwork::editorWidth * scale + 16 + (k % columns) * cell, y0 = 8 + (k / columns) * cell;
        put(x0, y0, background, Artwork::knobFrameSize, Artwork::knobFrameSize, 20, 29);
        put(x0, y0, strip, Artwork::knobFrameSize, Artwork::knobFrameSize, 0, k * Artwork::knobFrameSize);
    }
    return pictureOf(sheet);
}

bool write(const std::string& path, const std::vector<unsigned char>& bytes)
{
    if (ImageFile::writeFile(path, bytes))
        return true;
    std::fprintf(stderr, "tarn-artwork: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder, sheetPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sheet" && i + 1 < argc)
            sheetPath = argv[++i];
        else if (folder.empty() && !arg.empty() && arg[0] != '-')
            folder = arg;
        else
            folder.clear(), i = argc;
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: tarn-artwork FOLDER [--sheet SHEET.png]\n"
                             "  writes background.bmp (101), knob-strip.bmp (901) and knob-strip-mask.bmp (902)\n");
        return 2;
    }
    Pixa::Canvas background(Artwork::editorWidth, Artwork::editorHeight);
    Artwork::drawBackground(background);
    Pixa::Canvas strip(Artwork::knobFrameSize, Artwork::knobFrameSize * Artwork::knobFrames);
    for (int k = 0; k < Artwork::knobFrames; ++k)
        Artwork::drawKnobFrame(strip, k);

    bool ok = write(folder + "/background.bmp", ImageFile::encodeBmp(pictureOf(background))) &&
              write(folder + "/knob-strip.bmp", ImageFile::encodeBmp(pictureOf(strip))) &&
              write(folder + "/knob-strip-mask.bmp", ImageFile::encodeBmp(pictureOf(strip, true)));
    if (ok && !sheetPath.empty())
        ok = write(sheetPath, ImageFile::encodePng(contactSheet(background, strip)));
    return ok ? 0 : 1;
}
